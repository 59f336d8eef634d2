#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

class RCXPacket;

// Ctrl+C (SIGINT) and SIGTERM. A transfer under way must stop cleanly, so a
// signal does not end the program: a thread of its own waits for it and
// blocks the link, so that every exchange after it fails at once and the
// transfer ends through its own failure path. A second signal ends the
// program at once. Made first in main, before any other thread: the
// threads made later inherit the blocked signals.
class Interruption {
public:
    Interruption();
    Interruption(const Interruption&) = delete;
    Interruption& operator=(const Interruption&) = delete;

    // The link to block when a signal comes.
    void watch(RCXPacket& packet);
    bool happened() const { return signalled; }
    // Waits for `time`; true when a signal came before it was up.
    bool waitFor(std::chrono::milliseconds time);

private:
    void waitForSignals();

    std::atomic<RCXPacket*> watched = nullptr;
    std::atomic<bool> signalled = false;
    std::mutex mutex;
    std::condition_variable signalCame;
};
