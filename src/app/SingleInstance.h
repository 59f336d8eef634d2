#pragma once

#include <QDBusConnection>
#include <QObject>

// Keeps the application to one running instance per desktop session. The
// first claims the service name on the session bus; a later start finds it
// taken, asks the running instance to reopen (and to take its files), and
// ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    static inline const QString serviceName = QStringLiteral("org.infrabrick.Infrabrick");
    static inline const QString objectPath = QStringLiteral("/Application");

    explicit SingleInstance(QDBusConnection connection);
    // Gives the name up, so that a later start runs on its own.
    ~SingleInstance() override;

    // True when this instance is the one to run: it now holds the service
    // name, or there is no session bus to hold it on. False when another
    // instance holds it.
    bool claim();
    // Asks the instance that holds the name to reopen and to take `files`
    // (absolute paths); false when it did not answer.
    bool reopenRunningInstance(const QStringList& files = {});

public slots:
    // Called over the bus by a later start.
    void Reopen() { emit reopen(); }
    void Open(const QStringList& files)
    {
        emit reopen();
        emit open(files);
    }

signals:
    void reopen();
    void open(const QStringList& files);

private:
    QDBusConnection connection;
    bool claimed = false;
};
