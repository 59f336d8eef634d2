#include "sim/Scheduler.h"

#include "sim/Brick.h"

Scheduler::Scheduler(Brick& brick)
    : myBrick(brick)
{
    myBrick.setWakeUp([this] { wake(); });
    runner = std::thread([this] { loop(); });
}

Scheduler::~Scheduler()
{
    // No wake-up can come once this returns.
    myBrick.setWakeUp(nullptr);
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    runner.join();
}

void Scheduler::wake()
{
    {
        std::lock_guard lock(mutex);
        woken = true;
    }
    changed.notify_all();
}

void Scheduler::loop()
{
    std::unique_lock lock(mutex);
    while (!stopping) {
        lock.unlock();
        const bool running = myBrick.runDue();
        lock.lock();
        if (running)
            changed.wait_for(lock, period, [this] { return stopping; });
        else
            changed.wait(lock, [this] { return stopping || woken; });
        woken = false;
    }
}
