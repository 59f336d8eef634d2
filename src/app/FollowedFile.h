#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// A file watched on disk for as long as it is followed. An editor writes a
// file in bursts, or writes a new one and renames it over the old: changed
// is told once the file has been quiet for quietTime, and removed when it is
// gone then, after which it is no longer followed.
class FollowedFile : public QObject {
    Q_OBJECT
public:
    static constexpr int quietTime = 300; // ms

    explicit FollowedFile(QObject* parent = nullptr);

    // Follows `path` from now on; an empty path follows nothing.
    void follow(const QString& path);
    void stop() { follow(QString()); }
    const QString& path() const { return followed; }
    // The changed file could not be taken now: tell it again after another
    // quiet time.
    void later() { quiet.start(); }

signals:
    void changed();
    void removed();

private:
    void touched();
    void settled();

    QFileSystemWatcher watcher;
    QTimer quiet;
    QString followed;
};
