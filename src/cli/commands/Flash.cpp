// flash FILE [--fast]: the classroom's loop. Installs the firmware and beeps, waits
// for the next brick (one that answers without firmware, or one switched on
// after the last went quiet) and installs again, counting, until Ctrl+C;
// then sums up.
#include "cli/ExitStatus.h"
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"
#include "cli/commands/FirmwareInstall.h"
#include "protocol/RemoteControl.h"

#include <QElapsedTimer>

namespace {

constexpr std::chrono::milliseconds pollPause{300};

struct Tally {
    int installed = 0;
    int failed = 0;
    qint64 milliseconds = 0;

    double averageSeconds() const { return installed ? milliseconds / 1000.0 / installed : 0; }
};

enum class Outcome { Installed, Failed, Cut };

// One brick's firmware; Cut when Ctrl+C came in the transfer.
Outcome install(Invocation& invocation, RCXController& brick, Tally& tally)
{
    BrickSession& session = invocation.session();
    session.forgetFailures();
    ProgressBar progress = invocation.progressBar();
    QElapsedTimer took;
    took.start();
    installFirmware(invocation, brick, progress);
    if (session.interrupted())
        return Outcome::Cut;
    const int brickNumber = tally.installed + tally.failed + 1;
    if (progress.failure() || session.linkFailed()) {
        ++tally.failed;
        const QString why = progress.failure() ? fromCore(*progress.failure()) : Localizable::tr("No response from RCX");
        invocation.report().say(Localizable::tr("Brick %1: %2").arg(brickNumber).arg(why));
        return Outcome::Failed;
    }
    tally.milliseconds += took.elapsed();
    ++tally.installed;
    brick.sendRemoteCommand(remoteRelease);
    brick.sendRemoteCommand(remoteBeep);
    invocation.report().say(Localizable::tr("Brick %1: firmware installed in %2 s")
                                .arg(brickNumber).arg(took.elapsed() / 1000.0, 0, 'f', 1));
    return Outcome::Installed;
}

// Waits for the next brick; false when interrupted, or the tower failed.
bool nextBrick(Invocation& invocation, RCXController& brick)
{
    BrickSession& session = invocation.session();
    bool wentQuiet = false;
    while (!session.pause(pollPause)) {
        session.forgetFailures();
        const Versions versions = brick.readVersions();
        if (session.towerFailed())
            return false;
        if (session.linkFailed())
            wentQuiet = true;
        else if (!versions.hasFirmware() || wentQuiet)
            return true;
    }
    return false;
}

int flash(Invocation& invocation)
{
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    invocation.report().say(Localizable::tr("Installing firmware on each brick that comes; Ctrl+C ends."));
    Tally tally;
    Outcome outcome;
    do
        outcome = install(invocation, *brick, tally);
    while (outcome != Outcome::Cut && nextBrick(invocation, *brick));
    Report& report = invocation.report();
    report.set("installed", tally.installed);
    report.set("failed", tally.failed);
    report.set("averageSeconds", tally.averageSeconds());
    report.say(Localizable::tr("Installed: %1, failed: %2, average time: %3 s")
                   .arg(tally.installed).arg(tally.failed).arg(tally.averageSeconds(), 0, 'f', 1));
    // Ctrl+C is how the loop ends: only one that cuts a transfer short is
    // an interruption.
    if (outcome == Outcome::Cut || invocation.session().towerFailed())
        return invocation.finish();
    if (tally.failed > 0)
        return report.fail(exitRefused, Localizable::tr("Firmware failed on %1 bricks").arg(tally.failed));
    return report.status();
}

} // namespace

const Subcommand flashCommand = {
    "flash", "FILE",
    QT_TRANSLATE_NOOP("Localizable", "Install firmware on one brick after another, until Ctrl+C; then sum up."), 1, 1,
    {fastOption}, flash};
