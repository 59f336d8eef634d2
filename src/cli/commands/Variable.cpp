// variable N [VALUE]: one variable's value, set first when given.
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"
#include "models/Variables.h"

namespace {

int variable(Invocation& invocation)
{
    const QStringList& arguments = invocation.arguments();
    const std::optional<int> number =
        invocation.number(arguments.first(), 0, RCXController::varCount - 1, Localizable::tr("The variable"));
    if (!number)
        return invocation.report().status();
    // A number a 16-bit variable holds, stored as the window stores it.
    std::optional<std::int16_t> value;
    if (arguments.size() > 1) {
        if (!invocation.number(arguments[1], -32768, 65535, Localizable::tr("The value")))
            return invocation.report().status();
        value = variableValueOf(arguments[1]);
    }
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    if (value)
        brick->writeVariable(*number, *value);
    const int now = brick->readVariable(*number);
    invocation.report().set("variable", *number);
    invocation.report().set("value", now);
    invocation.report().say(QString::number(now));
    return invocation.finish();
}

} // namespace

const Subcommand variableCommand = {
    "variable", "N [VALUE]",
    QT_TRANSLATE_NOOP("Localizable", "Show variable N (0 to 31), set to VALUE first when given; "
                                     "write a negative VALUE after --."),
    1, 2, {}, variable};
