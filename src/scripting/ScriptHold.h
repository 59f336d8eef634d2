#pragma once

#include <QThread>

#include <memory>
#include <vector>

class RCXControllerScript;

// Holds back script calls while it lives: a call that arrives meanwhile
// waits, in the order it came, and is served once the hold ends. The window
// holds them for the length of a transfer of its own, since the transfer
// lets the event loop run to put its progress sheet on screen while the
// brick is the transfer's.
//
// The brick's script objects are parked meanwhile in a thread that runs no
// event loop, so the calls the bus delivers to them stay queued there; the
// end of the hold brings the objects back, their queued calls with them.
// One hold at a time.
class ScriptHold {
public:
    explicit ScriptHold(RCXControllerScript& brick);
    ~ScriptHold();
    ScriptHold(const ScriptHold&) = delete;
    ScriptHold& operator=(const ScriptHold&) = delete;

private:
    std::vector<QObject*> held;
    // Runs only to hand the objects back.
    std::unique_ptr<QThread> parking;
};
