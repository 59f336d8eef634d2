#pragma once

#include "support/SimProcess.h"

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The virtual brick as the application finds it: infrabrick-sim started as
// a child process, announced as a tower under a name, set up and looked at
// through its control language.
class SimBrick {
public:
    // One command as the brick heard it, the toggle bit cleared.
    using Command = std::vector<std::uint8_t>;

    // Starts the brick, announced in $XDG_RUNTIME_DIR under `name`.
    explicit SimBrick(const QString& name);

    // The announced link the application opens.
    QString towerPath() const { return announcedPath; }
    // The pseudo-terminal's own path; empty when the program did not start.
    QString terminalPath() const;

    // Runs one control command; its answer line ("ok", JSON or an error).
    QString control(const QString& command);
    // The commands heard since the last call, which forgets them.
    std::vector<Command> commands();
    // The whole state, as the `state` command gives it.
    QJsonObject state();

    // Kills the program (SIGKILL) and reaps it, as a crash would end it.
    bool kill();
    // Starts a new program under the same name, after kill().
    void restart();

private:
    QString towerName;
    QString announcedPath;
    std::unique_ptr<SimProcess> process;
};
