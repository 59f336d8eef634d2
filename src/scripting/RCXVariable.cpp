#include "scripting/RCXVariable.h"

#include "rcx/RCXController.h"
#include "VariableAdaptor.h"

#include <cstdint>

RCXVariable::RCXVariable(RCXController& controller, int varNumber)
    : ScriptElement(controller)
    , number(varNumber)
{
    new VariableAdaptor(this);
}

QString RCXVariable::name() const
{
    return QString::fromStdString(myRCXController.currentVarName(number));
}

int RCXVariable::value()
{
    return myRCXController.readVariable(number);
}

void RCXVariable::setValue(int value)
{
    myRCXController.writeVariable(number, static_cast<std::int16_t>(value));
}
