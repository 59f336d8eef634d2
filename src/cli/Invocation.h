#pragma once

#include "cli/BrickSession.h"
#include "cli/ProgressBar.h"
#include "cli/Report.h"

#include <QCommandLineParser>

#include <optional>

// One subcommand's run: its arguments and options as parsed, the report it
// fills, and the brick, reached once it is asked for.
class Invocation {
public:
    Invocation(const QCommandLineParser& parser, Report& report, BrickSession& session);

    const QStringList& arguments() const { return positional; }
    bool isSet(const QString& option) const { return parser.isSet(option); }
    QString value(const QString& option) const { return parser.value(option); }
    Report& report() { return myReport; }
    BrickSession& session() { return mySession; }

    // Opens the tower, the first time; the brick's commands, or null when
    // the tower cannot be used (told to the report).
    RCXController* brick();
    // The exit status once the commands went out, the link's failures first
    // (see BrickSession::finish).
    int finish(const std::optional<std::string>& failure = std::nullopt);

    // A usage fault: told, exit status 2.
    int usage(const QString& message);
    // The number `text` stands for, within low and high; a usage fault
    // naming `what` otherwise.
    std::optional<int> number(const QString& text, int low, int high, const QString& what);
    // The value of --slot, 1-5, or none when it is not given; `valid` is
    // false after a usage fault.
    std::optional<int> slotOption(bool& valid);
    // A progress bar for a transfer, drawn on a terminal unless --quiet.
    ProgressBar progressBar() const;

private:
    const QCommandLineParser& parser;
    QStringList positional;
    Report& myReport;
    BrickSession& mySession;
    bool opened = false;
};
