// variables: the 32 variables' values.
#include "cli/Invocation.h"
#include "cli/commands/Commands.h"

#include <QJsonArray>

namespace {

int variables(Invocation& invocation)
{
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    QJsonArray values;
    for (int variable = 0; variable < RCXController::varCount && !invocation.session().linkFailed(); ++variable) {
        const int value = brick->readVariable(variable);
        values.append(value);
        invocation.report().say(QString("%1\t%2").arg(variable).arg(value));
    }
    invocation.report().set("variables", values);
    return invocation.finish();
}

} // namespace

const Subcommand variablesCommand = {
    "variables", "", QT_TRANSLATE_NOOP("Localizable", "Show the values of the 32 variables."), 0, 0, {}, variables};
