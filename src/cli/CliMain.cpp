#include "cli/CliMain.h"

#include "cli/ExitStatus.h"
#include "cli/Invocation.h"
#include "cli/Subcommand.h"
#include "cli/Texts.h"

#include <QCommandLineParser>

#include <cstdio>

namespace {

const std::vector<OptionDefinition> globalOptions = {
    {{"p", "port"}, QT_TRANSLATE_NOOP("Localizable", "The tower: a serial line's path, an announced virtual brick's "
                                                     "name, usb, or a USB tower's place (1-3). By default the one "
                                                     "Infrabrick saved."),
     "NAME"},
    {{"json"}, QT_TRANSLATE_NOOP("Localizable", "Print the result as one JSON object.")},
    {{"q", "quiet"}, QT_TRANSLATE_NOOP("Localizable", "Print nothing but failures, and no progress bar.")},
    {{"h", "help"}, QT_TRANSLATE_NOOP("Localizable", "Show this help and exit.")},
    {{"v", "version"}, QT_TRANSLATE_NOOP("Localizable", "Show the version and exit.")},
};

void addOptions(QCommandLineParser& parser, const std::vector<OptionDefinition>& options)
{
    for (const OptionDefinition& definition : options)
        parser.addOption(definition.valueName ? QCommandLineOption(definition.names, translated(definition.description), definition.valueName)
                                        : QCommandLineOption(definition.names, translated(definition.description)));
}

int usageFault(const QString& fault, const QString& helpCommand)
{
    std::fprintf(stderr, "infrabrick-cli: %s\n%s\n", qPrintable(fault),
                 qPrintable(Localizable::tr("Try '%1' for more information.").arg(helpCommand)));
    return exitUsage;
}

void printHelp(const QString& usage, const QString& summary, const QCommandLineParser& parser, const QString& more)
{
    // The parser's help without its own usage line, which names the
    // program's path rather than the subcommand.
    QString options = parser.helpText();
    options.remove(0, options.indexOf('\n') + 1);
    std::fprintf(stdout, "%s\n%s\n%s%s", qPrintable(usage), qPrintable(summary), qPrintable(options), qPrintable(more));
}

int programHelp(const QCommandLineParser& parser)
{
    QString list = "\n" + Localizable::tr("Subcommands:") + "\n";
    for (const Subcommand* command : subcommands())
        list += QString("  %1 %2\n      %3\n").arg(command->name, command->synopsis, translated(command->summary));
    list += "\n" + Localizable::tr("Exit status: 0 done, 1 the brick refused or the transfer failed, 2 usage, "
                              "3 the tower cannot be used, 4 the brick does not answer, 130 interrupted.") + "\n";
    printHelp(Localizable::tr("Usage: infrabrick-cli [options] SUBCOMMAND [arguments]"),
              Localizable::tr("Drive a LEGO Mindstorms RCX brick from a terminal."), parser, list);
    return exitDone;
}

int runSubcommand(const Subcommand& command, QStringList arguments, Interruption& interruption)
{
    const QString helpCommand = QString("infrabrick-cli %1 --help").arg(command.name);
    QCommandLineParser parser;
    addOptions(parser, globalOptions);
    addOptions(parser, command.options);
    if (!parser.parse(arguments))
        return usageFault(parser.errorText(), helpCommand);
    if (parser.isSet("help")) {
        printHelp(QString("infrabrick-cli %1 %2").arg(command.name, command.synopsis), translated(command.summary),
                  parser, QString());
        return exitDone;
    }
    const qsizetype count = parser.positionalArguments().size();
    if (count < command.fewestArguments)
        return usageFault(Localizable::tr("Missing argument: %1").arg(command.synopsis), helpCommand);
    if (count > command.mostArguments)
        return usageFault(Localizable::tr("Unexpected argument '%1'.").arg(parser.positionalArguments().last()),
                          helpCommand);
    Report report(parser.isSet("json"), parser.isSet("quiet"));
    BrickSession session(interruption);
    Invocation invocation(parser, report, session);
    command.run(invocation);
    return report.finish();
}

} // namespace

int runCommandLine(const QStringList& arguments, Interruption& interruption)
{
    QCommandLineParser parser;
    addOptions(parser, globalOptions);
    // The first argument that is no option is the subcommand; what follows
    // it is the subcommand's.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(arguments))
        return usageFault(parser.errorText(), "infrabrick-cli --help");
    const QStringList rest = parser.positionalArguments();
    if (rest.isEmpty() && parser.isSet("version")) {
        std::printf("infrabrick-cli %s\n", INFRABRICK_VERSION);
        return exitDone;
    }
    if (rest.isEmpty() && parser.isSet("help"))
        return programHelp(parser);
    if (rest.isEmpty())
        return usageFault(Localizable::tr("No subcommand given."), "infrabrick-cli --help");
    const Subcommand* command = findSubcommand(rest.first());
    if (!command)
        return usageFault(Localizable::tr("Unknown subcommand '%1'.").arg(rest.first()), "infrabrick-cli --help");
    // The global options given before the subcommand count as given after it.
    QStringList own = arguments.mid(0, arguments.size() - rest.size());
    own += rest.mid(1);
    return runSubcommand(*command, own, interruption);
}
