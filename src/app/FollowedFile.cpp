#include "app/FollowedFile.h"

#include <QFileInfo>

FollowedFile::FollowedFile(QObject* parent) : QObject(parent)
{
    quiet.setSingleShot(true);
    quiet.setInterval(quietTime);
    connect(&quiet, &QTimer::timeout, this, &FollowedFile::settled);
    connect(&watcher, &QFileSystemWatcher::fileChanged, this, &FollowedFile::touched);
}

void FollowedFile::follow(const QString& path)
{
    quiet.stop();
    if (!watcher.files().isEmpty())
        watcher.removePaths(watcher.files());
    followed = path;
    if (!path.isEmpty())
        watcher.addPath(path);
}

void FollowedFile::touched()
{
    quiet.start();
}

void FollowedFile::settled()
{
    if (!QFileInfo::exists(followed)) {
        stop();
        emit removed();
        return;
    }
    // A file renamed over the old one is a new file to the watcher.
    if (!watcher.files().contains(followed))
        watcher.addPath(followed);
    emit changed();
}
