#pragma once

#include <QDBusObjectPath>
#include <QString>

// Where the brick and its elements live on the bus.
namespace BrickPaths {
inline const QString brick = QStringLiteral("/Brick");
inline const QString datalog = QStringLiteral("/Brick/Datalog");
QString input(int inputNumber);
// `outputName` is the output's letters: "A", "AB", …
QString output(const QString& outputName);
QString slot(int slotNumber);
QString variable(int varNumber);
} // namespace BrickPaths
