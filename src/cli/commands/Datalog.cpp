// datalog [--out FILE|-] [--size N] [--clear]: the datalog as the window
// saves it, and its size.
#include "cli/ExitStatus.h"
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"
#include "rcx/Localization.h"

#include <QJsonArray>

#include <cstdio>

namespace {

constexpr int largestDatalog = 0x7FFF;

// Sets the datalog's size, which empties it; false after a refusal.
bool resize(Invocation& invocation, RCXController& brick, int size)
{
    ProgressBar refusal(false);
    brick.setDataLog(size, refusal);
    invocation.session().finish(invocation.report(), refusal.failure());
    return !refusal.failure();
}

// The text lines on standard output, as uploaded.
void printDatalog(Invocation& invocation, RCXController& brick)
{
    ProgressBar progress = invocation.progressBar();
    const std::optional<std::vector<LogEntry>> entries = brick.uploadDatalog(progress);
    if (!entries || invocation.session().linkFailed()) {
        invocation.finish(progress.failure());
        return;
    }
    QJsonArray list;
    for (const LogEntry& entry : *entries) {
        const std::string line = brick.datalogLine(entry.type, entry.value);
        if (invocation.report().json())
            list.append(QJsonObject{{"type", entry.type}, {"value", entry.value}, {"line", fromCore(line).chopped(1)}});
        else
            std::fputs(line.c_str(), stdout);
    }
    invocation.report().set("entries", list);
    // A full disk shows only once the lines are flushed.
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        invocation.report().fail(exitRefused, fromCore(localizedFormat("Error writing file \"%@\"", {"-"})));
}

int datalog(Invocation& invocation)
{
    std::optional<int> size;
    if (invocation.isSet("size") && !(size = invocation.number(invocation.value("size"), 0, largestDatalog,
                                                               Localizable::tr("The datalog's size"))))
        return invocation.report().status();
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    const QString out = invocation.value("out");
    if (!out.isEmpty() && out != "-") {
        ProgressBar progress = invocation.progressBar();
        brick->saveDatalogFile(out.toStdString(), progress);
        invocation.finish(progress.failure());
    } else if (!out.isEmpty() || !(size || invocation.isSet("clear"))) {
        printDatalog(invocation, *brick);
    }
    if (invocation.report().status() != 0)
        return invocation.report().status();
    if (invocation.isSet("clear") && !size) {
        std::uint8_t map[RCXController::memMapLength];
        brick->readMemMap(map);
        size = std::max(brick->datalogSize(), 0);
    }
    if (size && resize(invocation, *brick, *size))
        invocation.report().set("size", *size);
    return invocation.finish();
}

} // namespace

const Subcommand datalogCommand = {
    "datalog", "",
    QT_TRANSLATE_NOOP("Localizable", "Upload the datalog as the text Infrabrick saves, set its size, or clear it."), 0,
    0,
    {{{"o", "out"}, QT_TRANSLATE_NOOP("Localizable", "Write the datalog to FILE, or to standard output for -."), "FILE"},
     {{"size"}, QT_TRANSLATE_NOOP("Localizable", "Make room for N entries; this clears the datalog."), "N"},
     {{"clear"}, QT_TRANSLATE_NOOP("Localizable", "Clear the datalog, keeping its size.")}},
    datalog};
