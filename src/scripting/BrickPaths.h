#pragma once

#include <QString>

class RCXDatalog;
class RCXMotorOutput;
class RCXProgramSlot;
class RCXSensorInput;
class RCXVariable;

// Where the brick and its elements live on the bus.
namespace BrickPaths {
inline const QString brick = QStringLiteral("/Brick");
// /Brick/Inputs/1 to 3
QString of(const RCXSensorInput& input);
// /Brick/Outputs/A, B, AB, C, AC, BC, ABC
QString of(const RCXMotorOutput& output);
// /Brick/Slots/1 to 5
QString of(const RCXProgramSlot& slot);
// /Brick/Datalog
QString of(const RCXDatalog& datalog);
// /Brick/Variables/0 to 31
QString of(const RCXVariable& variable);
} // namespace BrickPaths
