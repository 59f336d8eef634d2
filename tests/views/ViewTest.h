#pragma once

#include "support/QtPrinters.h"
#include "views/FileActions.h"

#include <QTest>
#include <QtWidgets>
#include <gtest/gtest.h>

#include <functional>

// Records the paths it is given; an upload writes `datalog` as the controller writes the brick's.
struct FakeFileActions : FileActions {
    void downloadFile(const QString& path) override { onDownload(), downloads.append(path); }
    void uploadFile(const QString& path) override
    {
        uploads.append(path);
        if (QFile file(path); uploadWorks && file.open(QIODevice::WriteOnly))
            file.write(datalog);
    }

    QByteArray datalog = "1\t-25\n9\t1234\n";
    bool uploadWorks = true;
    std::function<void()> onDownload = [] {};
    QStringList downloads, uploads;
};
