#include "scripting/BrickPaths.h"

#include "scripting/RCXDatalog.h"
#include "scripting/RCXMotorOutput.h"
#include "scripting/RCXProgramSlot.h"
#include "scripting/RCXSensorInput.h"
#include "scripting/RCXVariable.h"

namespace BrickPaths {

QString of(const RCXSensorInput& input)
{
    return QStringLiteral("/Brick/Inputs/%1").arg(input.name());
}

QString of(const RCXMotorOutput& output)
{
    return QStringLiteral("/Brick/Outputs/%1").arg(output.name());
}

QString of(const RCXProgramSlot& slot)
{
    return QStringLiteral("/Brick/Slots/%1").arg(slot.slotNumber());
}

QString of(const RCXDatalog&)
{
    return QStringLiteral("/Brick/Datalog");
}

QString of(const RCXVariable& variable)
{
    return QStringLiteral("/Brick/Variables/%1").arg(variable.varNumber());
}

} // namespace BrickPaths
