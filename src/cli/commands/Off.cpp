// off: switches the brick off.
#include "cli/Invocation.h"
#include "cli/commands/Commands.h"

namespace {

int off(Invocation& invocation)
{
    if (RCXController* brick = invocation.brick())
        brick->powerOff();
    return invocation.finish();
}

} // namespace

const Subcommand offCommand = {"off", "", QT_TRANSLATE_NOOP("Localizable", "Switch the brick off."), 0, 0, {}, off};
