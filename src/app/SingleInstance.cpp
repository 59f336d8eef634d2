#include "app/SingleInstance.h"

#include <QLocalSocket>

namespace {
constexpr int connectWait = 500; // ms
}

SingleInstance::SingleInstance(const QString& name) : serverName(name)
{
    connect(&server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server.nextPendingConnection())
            socket->deleteLater();
        emit reopen();
    });
}

bool SingleInstance::toldRunningInstance()
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    return socket.waitForConnected(connectWait);
}

void SingleInstance::listen()
{
    // A server left behind by a crashed instance would refuse the name.
    QLocalServer::removeServer(serverName);
    server.setSocketOptions(QLocalServer::UserAccessOption);
    server.listen(serverName);
}
