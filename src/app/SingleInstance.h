#pragma once

#include <QLocalServer>
#include <QObject>

// Keeps the application to one running instance per user: a second start
// tells the first and ends, and the first raises its window (reopen).
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& name);

    // True when another instance runs and has been told to reopen.
    bool toldRunningInstance();
    // Starts listening for later starts.
    void listen();

signals:
    void reopen();

private:
    QString serverName;
    QLocalServer server;
};
