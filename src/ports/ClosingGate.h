#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

// Lets a port be closed from one thread while another is inside one of its
// operations: every operation that uses the open device enters the gate and
// leaves it when done; close shuts the gate, wakes whoever is inside, and
// waits until they have left, so that the device is released only when no
// one uses it any more.
class ClosingGate {
public:
    // Lets operations in again, after the device was opened.
    void open();
    // False when the gate is shut; the caller must not touch the device.
    bool enter();
    void leave();
    // Whether close has begun; checked by waits that wake up by themselves.
    bool isClosing();
    // Shuts the gate, calls `wake` to end the waits inside, and returns once
    // everyone has left. False when the gate was already shut.
    bool close(const std::function<void()>& wake);

private:
    std::mutex mutex;
    std::condition_variable left;
    bool isOpen = false;
    int users = 0;
};

// Enters a gate for one scope.
class GatePass {
public:
    explicit GatePass(ClosingGate& gate) : gate(gate), entered(gate.enter()) {}
    ~GatePass()
    {
        if (entered)
            gate.leave();
    }
    GatePass(const GatePass&) = delete;
    GatePass& operator=(const GatePass&) = delete;
    explicit operator bool() const { return entered; }

private:
    ClosingGate& gate;
    const bool entered;
};
