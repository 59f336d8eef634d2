// stop: stops the program's tasks.
#include "cli/Invocation.h"
#include "cli/commands/Commands.h"

namespace {

int stop(Invocation& invocation)
{
    if (RCXController* brick = invocation.brick())
        brick->stopProgram();
    return invocation.finish();
}

} // namespace

const Subcommand stopCommand = {"stop", "", QT_TRANSLATE_NOOP("Localizable", "Stop the running program."), 0, 0, {},
                                stop};
