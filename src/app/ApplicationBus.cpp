#include "app/ApplicationBus.h"

#include "app/LegoController.h"

ApplicationBus::ApplicationBus(LegoController& controller, const QDBusConnection& connection)
    : brick(controller.scriptObject(), connection)
    , instance(connection)
{
    QObject::connect(&instance, &SingleInstance::reopen, &controller, &LegoController::applicationShouldHandleReopen);
    QObject::connect(&instance, &SingleInstance::open, &controller, &LegoController::openFiles);
}
