// run [--slot N]: starts the program of the current slot, or of the one given.
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"

namespace {

int run(Invocation& invocation)
{
    bool slotValid = false;
    const std::optional<int> slot = invocation.slotOption(slotValid);
    if (!slotValid)
        return invocation.report().status();
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    if (slot)
        brick->selectProgram(*slot);
    brick->runCurrentProgram();
    return invocation.finish();
}

} // namespace

const Subcommand runCommand = {
    "run", "", QT_TRANSLATE_NOOP("Localizable", "Run the program of the current slot, or of the one given."), 0, 0,
    {{{"slot"}, QT_TRANSLATE_NOOP("Localizable", "The program slot, 1 to 5."), "N"}}, run};
