#pragma once

#include <QLabel>

class QStatusBar;

// The main window's status bar: the tower in use, whether the brick answers,
// and the current program slot with whether a program started from the
// window runs. It only shows what the controller tells it.
class StatusLine {
public:
    enum class Brick { Unknown, Answering, NotAnswering, NoFirmware, SwitchedOff, TowerUnusable };

    explicit StatusLine(QStatusBar& bar);

    // The tower's name as the preferences list it; empty for none.
    void showPort(const QString& name);
    void showBrick(Brick state);
    void showProgram(int slot, bool running);
    Brick brick() const { return brickState; }

private:
    QLabel* port;
    QLabel* answer;
    QLabel* program;
    Brick brickState = Brick::Unknown;
};
