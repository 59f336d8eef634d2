#pragma once

#include "models/TimeLeft.h"
#include "rcx/FileOp.h"

#include <QElapsedTimer>

#include <optional>
#include <string>
#include <vector>

// A transfer's progress on a terminal: its title, then one line drawn again
// in place as the blocks go, with a bar, the percentage and the time left,
// on standard error. Draws nothing when told not to (standard error is no
// terminal, or --quiet). Keeps the failure's message and the notes for the
// report.
class ProgressBar : public FileOp {
public:
    explicit ProgressBar(bool draws);

    // Whether a bar is to be drawn: standard error is a terminal.
    static bool onTerminal();

    void startFileOp(const std::string& title) override;
    void advanceBy(double increment) override;
    void abortFileOp(const std::string& message) override;
    void stopFileOp() override;
    void noteFileOp(const std::string& note) override { myNotes.push_back(note); }

    const std::optional<std::string>& failure() const { return failureMessage; }
    // What the transfer noted, for the report once it is done.
    const std::vector<std::string>& notes() const { return myNotes; }

private:
    void draw();
    void endLine();

    bool draws;
    bool lineOpen = false;
    double percent = 0;
    TimeLeft timeLeft;
    QElapsedTimer sinceStart;
    std::optional<std::string> failureMessage;
    std::vector<std::string> myNotes;
};
