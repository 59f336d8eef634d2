// download FILE [--slot N] [--run]: a compiled program into a slot.
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"

#include <QFileInfo>

namespace {

int download(Invocation& invocation)
{
    const QString file = invocation.arguments().first();
    // NQC sources wait for the compiler to come in.
    if (QFileInfo(file).suffix().compare("nqc", Qt::CaseInsensitive) == 0)
        return invocation.usage(translated("NQC sources cannot be downloaded yet: compile \"%1\" with nqc -O first")
                                    .arg(file));
    bool slotValid = false;
    const std::optional<int> slot = invocation.slotOption(slotValid);
    if (!slotValid)
        return invocation.report().status();
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    if (slot)
        brick->selectProgram(*slot);
    else
        brick->syncProgNum();
    ProgressBar progress = invocation.progressBar();
    // A failed download may leave part of a program in the slot: it goes, as
    // in the window. A refused file never reached the brick.
    if (brick->sendProgFile(file.toStdString(), progress) == RCXController::progFileFailed)
        invocation.session().cleanUp([brick] { brick->deleteCurrentProgram(); });
    else if (!progress.failure() && invocation.isSet("run"))
        brick->runCurrentProgram();
    Report& report = invocation.report();
    report.set("slot", brick->currentSlot());
    report.set("program", fromCore(brick->currentProgName()));
    if (!progress.failure())
        report.say(translated("Downloaded \"%1\" into slot %2").arg(fromCore(brick->currentProgName())).arg(brick->currentSlot()));
    return invocation.finish(progress.failure());
}

} // namespace

const Subcommand downloadCommand = {
    "download", "FILE",
    QT_TRANSLATE_NOOP("Localizable", "Download a compiled program (.rcx) into the current slot, or the one given."),
    1, 1,
    {{{"slot"}, QT_TRANSLATE_NOOP("Localizable", "The program slot, 1 to 5."), "N"},
     {{"run"}, QT_TRANSLATE_NOOP("Localizable", "Run the program once it is downloaded.")}},
    download};
