#include "scripting/BrickPaths.h"

namespace BrickPaths {

QString input(int inputNumber)
{
    return QStringLiteral("/Brick/Inputs/%1").arg(inputNumber);
}

QString output(const QString& outputName)
{
    return QStringLiteral("/Brick/Outputs/%1").arg(outputName);
}

QString slot(int slotNumber)
{
    return QStringLiteral("/Brick/Slots/%1").arg(slotNumber);
}

QString variable(int varNumber)
{
    return QStringLiteral("/Brick/Variables/%1").arg(varNumber);
}

} // namespace BrickPaths
