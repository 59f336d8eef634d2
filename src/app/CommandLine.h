#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

// The command line of infrabrick: options, then the program or firmware
// files to take. --help and --version are answered on standard output and a
// wrong argument (or a file that is not there) on standard error, before any
// window exists, so that they work without a display. The standard options of Qt
// programs (-style, -platform, ...) are let through for the application
// object to take.
class CommandLine {
public:
    // The exit code of a command line that does not parse.
    static constexpr int usageError = 2;

    // Parses the arguments, the program's name first. The texts are looked
    // up when it is made: make it once the translations are installed.
    explicit CommandLine(const QStringList& arguments);

    // Whether the application is to run; otherwise answer() says why not.
    bool runs() const { return parsed && !parser.isSet(helpOption) && !parser.isSet(versionOption); }
    // The files named, as absolute paths.
    QStringList files() const;
    // Prints the help, the version or the fault; returns the exit code.
    int answer() const;

private:
    void letQtOptionsThrough();
    // The first file named that does not exist, or an empty text.
    QString missingFile() const;

    QCommandLineParser parser;
    QCommandLineOption helpOption;
    QCommandLineOption versionOption;
    bool parsed = false;
};
