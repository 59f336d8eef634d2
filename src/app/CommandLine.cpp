#include "app/CommandLine.h"

#include "app/LocalizedUi.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

CommandLine::CommandLine(const QStringList& arguments)
    : helpOption({"h", "help"}, localizedUi(QT_TRANSLATE_NOOP("Localizable", "Show this help and exit.")))
    , versionOption({"v", "version"},
                    localizedUi(QT_TRANSLATE_NOOP("Localizable", "Show the version and exit.")))
{
    const QString summary = localizedUi(QT_TRANSLATE_NOOP(
        "Localizable", "Watch and drive a LEGO Mindstorms RCX brick through its infrared tower."));
    const QString qtOptions = localizedUi(QT_TRANSLATE_NOOP(
        "Localizable", "The standard options of Qt programs, such as -style and -platform, are taken too."));
    parser.setApplicationDescription(summary + "\n" + qtOptions);
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    parser.addPositionalArgument(
        "FILE", localizedUi(QT_TRANSLATE_NOOP(
                    "Localizable", "A program (.rcx, .nqc) to download into the current slot once the brick answers, "
                                   "or a firmware file to install after asking.")),
        "[FILE...]");
    letQtOptionsThrough();
    parsed = parser.parse(arguments) && missingFile().isEmpty();
}

QStringList CommandLine::files() const
{
    QStringList paths;
    for (const QString& file : parser.positionalArguments())
        paths.append(QFileInfo(file).absoluteFilePath());
    return paths;
}

QString CommandLine::missingFile() const
{
    for (const QString& file : parser.positionalArguments())
        if (!QFileInfo(file).isFile())
            return file;
    return {};
}

// Qt's own options are single words after one dash ("-style Fusion"); the
// application object takes them from the command line.
void CommandLine::letQtOptionsThrough()
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const char* const withValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin", "qmljsdebugger",
                                     "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "display",
                                     "geometry", "style", "stylesheet"};
    const char* const flags[] = {"reverse", "widgetcount", "nograb", "dograb"};
    for (const char* name : withValue) {
        QCommandLineOption option(name, QString(), "value");
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : flags) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

int CommandLine::answer() const
{
    if (!parsed) {
        const QString fault =
            parser.errorText().isEmpty()
                ? localizedUi(QT_TRANSLATE_NOOP("Localizable", "No such file: '%1'.")).arg(missingFile())
                : parser.errorText();
        const QString hint =
            localizedUi(QT_TRANSLATE_NOOP("Localizable", "Try 'infrabrick --help' for more information."));
        std::fprintf(stderr, "infrabrick: %s\n%s\n", qPrintable(fault), qPrintable(hint));
        return usageError;
    }
    if (parser.isSet(helpOption))
        std::fputs(qPrintable(parser.helpText()), stdout);
    else
        std::printf("infrabrick %s\n", INFRABRICK_VERSION);
    return 0;
}
