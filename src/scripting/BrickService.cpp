#include "scripting/BrickService.h"

#include "scripting/BrickPaths.h"
#include "scripting/RCXControllerScript.h"

BrickService::BrickService(RCXControllerScript& brick, QDBusConnection connection) : connection(std::move(connection))
{
    add(BrickPaths::brick, &brick);
    addAll(brick.inputs());
    addAll(brick.outputs());
    addAll(brick.programSlots());
    add(BrickPaths::of(brick.datalog()), &brick.datalog());
    addAll(brick.variables());
}

BrickService::~BrickService()
{
    for (const QString& path : paths)
        connection.unregisterObject(path);
}

void BrickService::add(const QString& path, QObject* element)
{
    if (connection.registerObject(path, element, QDBusConnection::ExportAdaptors))
        paths.append(path);
    else
        allRegistered = false;
}
