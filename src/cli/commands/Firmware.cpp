// firmware FILE: installs firmware from an S-record file.
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"

namespace {

int firmware(Invocation& invocation)
{
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    ProgressBar progress = invocation.progressBar();
    brick->sendFirmware(invocation.arguments().first().toStdString(), progress);
    if (!progress.failure() && !invocation.session().linkFailed())
        invocation.report().say(translated("Firmware installed"));
    return invocation.finish(progress.failure());
}

} // namespace

const Subcommand firmwareCommand = {
    "firmware", "FILE", QT_TRANSLATE_NOOP("Localizable", "Install firmware from an S-record file (.lgo, .srec)."),
    1, 1, {}, firmware};
