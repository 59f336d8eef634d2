#include "cli/Invocation.h"

#include "cli/ExitStatus.h"
#include "cli/Texts.h"
#include "protocol/ProgramSlots.h"

Invocation::Invocation(const QCommandLineParser& parser, Report& report, BrickSession& session)
    : parser(parser)
    , positional(parser.positionalArguments())
    , myReport(report)
    , mySession(session)
{
}

RCXController* Invocation::brick()
{
    if (!opened && !mySession.open(value("port"), myReport))
        return nullptr;
    opened = true;
    return &mySession.controller();
}

int Invocation::finish(const std::optional<std::string>& failure)
{
    return mySession.finish(myReport, failure);
}

int Invocation::usage(const QString& message)
{
    return myReport.fail(exitUsage, message);
}

std::optional<int> Invocation::number(const QString& text, int low, int high, const QString& what)
{
    bool isNumber = false;
    const int value = text.toInt(&isNumber, 0);
    if (isNumber && value >= low && value <= high)
        return value;
    usage(Localizable::tr("%1 must be a number from %2 to %3, not \"%4\"").arg(what).arg(low).arg(high).arg(text));
    return std::nullopt;
}

std::optional<int> Invocation::slotOption(bool& valid)
{
    valid = true;
    if (!isSet("slot"))
        return std::nullopt;
    const std::optional<int> slot = number(value("slot"), 1, programSlots, Localizable::tr("The slot"));
    valid = slot.has_value();
    return slot;
}

ProgressBar Invocation::progressBar() const
{
    return ProgressBar(!myReport.quiet() && ProgressBar::onTerminal());
}
