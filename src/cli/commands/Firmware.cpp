// firmware FILE [--fast]: installs firmware from an S-record file.
#include "cli/Texts.h"
#include "cli/commands/Commands.h"
#include "cli/commands/FirmwareInstall.h"

const OptionDefinition fastOption = {
    {"fast"}, QT_TRANSLATE_NOOP("Localizable", "Install through the ROM's fast mode, with the brick close to the tower.")};

void installFirmware(Invocation& invocation, RCXController& brick, ProgressBar& progress)
{
    const auto speed = invocation.isSet("fast") ? RCXController::FirmwareSpeed::fast : RCXController::FirmwareSpeed::normal;
    brick.sendFirmware(invocation.arguments().first().toStdString(), progress, speed);
    for (const std::string& note : progress.notes())
        invocation.report().say(fromCore(note));
}

namespace {

int firmware(Invocation& invocation)
{
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    ProgressBar progress = invocation.progressBar();
    installFirmware(invocation, *brick, progress);
    if (!progress.failure() && !invocation.session().linkFailed())
        invocation.report().say(Localizable::tr("Firmware installed"));
    return invocation.finish(progress.failure());
}

} // namespace

const Subcommand firmwareCommand = {
    "firmware", "FILE", QT_TRANSLATE_NOOP("Localizable", "Install firmware from an S-record file (.lgo, .srec)."),
    1, 1, {fastOption}, firmware};
