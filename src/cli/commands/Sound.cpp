// sound N: one of the brick's system sounds.
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"

namespace {

constexpr int lastSound = 5;

int sound(Invocation& invocation)
{
    const std::optional<int> number = invocation.number(invocation.arguments().first(), 0, lastSound, Localizable::tr("The sound"));
    if (!number)
        return invocation.report().status();
    if (RCXController* brick = invocation.brick())
        brick->playSound(*number);
    return invocation.finish();
}

} // namespace

const Subcommand soundCommand = {
    "sound", "N", QT_TRANSLATE_NOOP("Localizable", "Play system sound N, 0 to 5."), 1, 1, {}, sound};
