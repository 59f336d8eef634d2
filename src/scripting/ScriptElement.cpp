#include "scripting/ScriptElement.h"

#include <cstdlib>

QString ScriptElement::errorName(int scriptErrorNumber)
{
    return QStringLiteral("org.infrabrick.ScriptError.E%1").arg(std::abs(scriptErrorNumber));
}

void ScriptElement::answer(const ScriptCommand& command)
{
    if (command.failed() && calledFromDBus())
        sendErrorReply(errorName(command.scriptErrorNumber()), command.scriptErrorString());
}
