// download FILE [--slot N] [--run] [--target RCX|RCX2]: a compiled program,
// or an NQC source compiled first, into a slot.
#include "cli/ExitStatus.h"
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"
#include "models/SavedBrickType.h"
#include "rcx/ProgramFileDownload.h"

#include <QJsonArray>

namespace {

// The generation --target names, else the one the window's preferences
// chose; none after a usage fault.
std::optional<BrickTarget> target(Invocation& invocation)
{
    if (!invocation.isSet("target"))
        return SavedBrickType::target(QSettings("Infrabrick", "Infrabrick"));
    const QString name = invocation.value("target").toUpper();
    if (name == "RCX" || name == "RCX2")
        return name == "RCX" ? BrickTarget::rcx : BrickTarget::rcx2;
    invocation.usage(Localizable::tr("There is no target \"%1\": RCX or RCX2").arg(invocation.value("target")));
    return std::nullopt;
}

// The compiler's errors, one to a line as file:line: message, under its
// heading; with --json each one also as an object.
int compileFailure(Invocation& invocation, const Compilation& failure)
{
    QJsonArray errors;
    for (const CompileError& error : failure.errors)
        errors.append(QJsonObject{{"file", fromCore(error.file)}, {"line", error.line}, {"message", fromCore(error.message)}});
    invocation.report().set("errors", errors);
    return invocation.report().fail(exitRefused, fromCore(failure.text).trimmed());
}

int download(Invocation& invocation)
{
    bool slotValid = false;
    const std::optional<int> slot = invocation.slotOption(slotValid);
    const std::optional<BrickTarget> brickTarget = slotValid ? target(invocation) : std::nullopt;
    if (!brickTarget)
        return invocation.report().status();
    ProgramFileDownload downloads(invocation.session().controller());
    downloads.setTarget(*brickTarget);
    ProgressBar progress = invocation.progressBar();
    // The tower is opened once the program is ready: a source with errors
    // needs no brick, and nothing goes out for it.
    RCXController* brick = nullptr;
    const auto slotChosen = [&] {
        if (!(brick = invocation.brick()))
            return false;
        if (slot)
            brick->selectProgram(*slot);
        else
            brick->syncProgNum();
        return true;
    };
    const ProgramFileDownload::Result result =
        downloads.download(invocation.arguments().first().toStdString(), progress, slotChosen);
    if (result.compileFailure)
        return compileFailure(invocation, *result.compileFailure);
    if (!brick)
        return invocation.finish(progress.failure());
    // A failed download may leave part of a program in the slot: it goes, as
    // in the window. A refused file never reached the brick.
    if (result.transfer == RCXController::progFileFailed)
        invocation.session().cleanUp([brick] { brick->deleteCurrentProgram(); });
    else if (!progress.failure() && invocation.isSet("run"))
        brick->runCurrentProgram();
    Report& report = invocation.report();
    report.set("slot", brick->currentSlot());
    report.set("program", fromCore(brick->currentProgName()));
    if (!progress.failure())
        report.say(Localizable::tr("Downloaded \"%1\" into slot %2").arg(fromCore(brick->currentProgName())).arg(brick->currentSlot()));
    return invocation.finish(progress.failure());
}

} // namespace

const Subcommand downloadCommand = {
    "download", "FILE",
    QT_TRANSLATE_NOOP("Localizable", "Download a program (.rcx, or .nqc compiled first) into the current slot, or the one given."),
    1, 1,
    {{{"slot"}, QT_TRANSLATE_NOOP("Localizable", "The program slot, 1 to 5."), "N"},
     {{"run"}, QT_TRANSLATE_NOOP("Localizable", "Run the program once it is downloaded.")},
     {{"target"}, QT_TRANSLATE_NOOP("Localizable", "Compile NQC sources for RCX (1.0, 1.5) or RCX2. By default the brick "
                                                   "type chosen in Infrabrick's preferences."),
      "RCX|RCX2"}},
    download};
