#pragma once

#include "views/FileActions.h"

#include <QFile>
#include <QStringList>

#include <functional>

// Stands in for the application controller: records each call; an upload
// writes `datalog` to the path, as the real one writes the brick's datalog,
// unless `uploadWorks` is false.
struct FakeFileActions : FileActions {
    void downloadFile(const QString& path) override
    {
        if (onDownload)
            onDownload();
        downloads.append(path);
    }
    void uploadFile(const QString& path) override
    {
        uploads.append(path);
        QFile file(path);
        if (uploadWorks && file.open(QIODevice::WriteOnly))
            file.write(datalog);
    }
    void deleteDatalog() override { ++deletions; }

    QByteArray datalog = "1\t-25\n9\t1234\n";
    bool uploadWorks = true;
    std::function<void()> onDownload;
    QStringList downloads;
    QStringList uploads;
    int deletions = 0;
};
