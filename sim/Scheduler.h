#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class Brick;

// Runs a wall-clock brick's program while nobody talks to it: a thread that
// lets the brick catch up with the clock every `period` while a program
// runs, and sleeps while none does until the brick wakes it.
class Scheduler {
public:
    static constexpr std::chrono::milliseconds period{10};

    // Takes the brick's wake-up for as long as it lives.
    explicit Scheduler(Brick& brick);
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

private:
    void loop();
    void wake();

    Brick& myBrick;
    std::mutex mutex;
    std::condition_variable changed;
    bool woken = false;
    bool stopping = false;
    std::thread runner;
};
