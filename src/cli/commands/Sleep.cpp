// sleep MINUTES: how long the brick waits idle before it turns itself off.
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"

namespace {

constexpr int longestDelay = 255;

int sleep(Invocation& invocation)
{
    const std::optional<int> minutes =
        invocation.number(invocation.arguments().first(), 0, longestDelay, Localizable::tr("The minutes"));
    if (!minutes)
        return invocation.report().status();
    if (RCXController* brick = invocation.brick())
        brick->setPowerDownDelay(*minutes);
    return invocation.finish();
}

} // namespace

const Subcommand sleepCommand = {
    "sleep", "MINUTES",
    QT_TRANSLATE_NOOP("Localizable", "Let the brick turn itself off after MINUTES idle, 0 for never."), 1, 1, {}, sleep};
