#pragma once

#include "app/SingleInstance.h"
#include "scripting/BrickService.h"

class LegoController;

// The running application on the session bus: the brick for scripts, and
// the service name that keeps the application to one instance, whose later
// starts reopen this one's window.
class ApplicationBus {
public:
    ApplicationBus(LegoController& controller, const QDBusConnection& connection);

    // False when the brick could not be put on the bus.
    bool registered() const { return brick.registered(); }
    // See SingleInstance. The brick is on the bus before the name is
    // claimed, so that a script that sees the name finds the brick.
    bool claim() { return instance.claim(); }
    bool reopenRunningInstance(const QStringList& files) { return instance.reopenRunningInstance(files); }

private:
    BrickService brick;
    SingleInstance instance;
};
