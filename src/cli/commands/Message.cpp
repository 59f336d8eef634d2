// message N: sends the brick a message, 0-255.
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"

namespace {

constexpr int largestMessage = 255;

int message(Invocation& invocation)
{
    const std::optional<int> number =
        invocation.number(invocation.arguments().first(), 0, largestMessage, Localizable::tr("The message"));
    if (!number)
        return invocation.report().status();
    if (RCXController* brick = invocation.brick())
        brick->sendMessage(*number);
    return invocation.finish();
}

} // namespace

const Subcommand messageCommand = {
    "message", "N", QT_TRANSLATE_NOOP("Localizable", "Send the brick message N, 0 to 255."), 1, 1, {}, message};
