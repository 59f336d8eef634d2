#include "app/SingleInstance.h"

#include "ApplicationAdaptor.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <cstdio>

namespace {
// A running instance answers at once unless a scripted transfer holds it.
constexpr int reopenWait = 5000; // ms
} // namespace

SingleInstance::SingleInstance(QDBusConnection connection) : connection(std::move(connection))
{
    new ApplicationAdaptor(this);
}

bool SingleInstance::claim()
{
    if (!connection.isConnected()) {
        std::fprintf(stderr, "No D-Bus session bus: scripting is off.\n");
        return true;
    }
    connection.registerObject(objectPath, this, QDBusConnection::ExportAdaptors);
    const auto reply = connection.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                                                               QDBusConnectionInterface::DontAllowReplacement);
    claimed = reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
    return claimed;
}

SingleInstance::~SingleInstance()
{
    if (!claimed)
        return;
    connection.unregisterService(serviceName);
    connection.unregisterObject(objectPath);
}

bool SingleInstance::reopenRunningInstance(const QStringList& files)
{
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, objectPath, "org.infrabrick.Application",
                                                       files.isEmpty() ? "Reopen" : "Open");
    if (!files.isEmpty())
        call.setArguments({files});
    const QDBusMessage reply = connection.call(call, QDBus::Block, reopenWait);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "Infrabrick is already running but does not answer: %s\n",
                     qPrintable(reply.errorMessage()));
        return false;
    }
    return true;
}
