#pragma once

// What the view suites share: Qt values printed readably, and a stand-in
// for the application controller.

#include "support/QtPrinters.h"
#include "views/FileActions.h"

#include <QApplication>
#include <QFile>
#include <QMimeData>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

// Stands in for the application controller: records the paths it is given;
// an upload writes `datalog` to its path, as the real one writes the brick's
// datalog, unless `uploadWorks` is false.
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
