#pragma once

#include "support/SimProcess.h"

#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The virtual brick as the application finds it: infrabrick-sim started as a
// child process, announced as a tower in a runtime folder of its own (set as
// XDG_RUNTIME_DIR), set up and looked at through its control language.
class SimBrick {
public:
    explicit SimBrick(const QString& name = QStringLiteral("Virtual RCX"));

    const QString name;
    // The announced link the application opens.
    QString towerPath() const { return runtime.filePath("infrabrick/towers/" + name); }
    // The terminal the announced link leads to.
    QString path() const { return QString::fromStdString(process->path()); }
    bool started() const { return path().startsWith("/dev/"); }

    // Runs one control command; its answer line ("ok", JSON or an error).
    QString control(const QString& command);
    // The commands heard since the last call, in hex ("21 81") with the
    // toggle bit cleared; the brick forgets them.
    QStringList commands();
    QJsonObject state();

    // Kills the program as a crash would, then starts a new one.
    bool kill();
    void restart();

private:
    QTemporaryDir runtime;
    std::unique_ptr<SimProcess> process;
};
