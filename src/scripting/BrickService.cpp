#include "scripting/BrickService.h"

#include "scripting/BrickPaths.h"
#include "scripting/RCXControllerScript.h"

BrickService::BrickService(RCXControllerScript& brick, QDBusConnection connection) : connection(std::move(connection))
{
    add(BrickPaths::brick, &brick);
    for (const auto& input : brick.inputs())
        add(BrickPaths::input(input->name().toInt()), input.get());
    for (const auto& output : brick.outputs())
        add(BrickPaths::output(output->name()), output.get());
    for (const auto& slot : brick.programSlots())
        add(BrickPaths::slot(slot->slotNumber()), slot.get());
    add(BrickPaths::datalog, &brick.datalog());
    for (const auto& variable : brick.variables())
        add(BrickPaths::variable(variable->varNumber()), variable.get());
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
