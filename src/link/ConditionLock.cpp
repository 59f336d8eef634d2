#include "link/ConditionLock.h"

#include <chrono>

ConditionLock::ConditionLock(int condition)
    : currentCondition(condition)
{
}

int ConditionLock::condition() const
{
    std::lock_guard lock(mutex);
    return currentCondition;
}

bool ConditionLock::lock()
{
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return interrupted || !held; });
    if (interrupted)
        return false;
    held = true;
    return true;
}

bool ConditionLock::lockWhenCondition(int wanted)
{
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return available(wanted); });
    if (interrupted)
        return false;
    held = true;
    return true;
}

bool ConditionLock::lockWhenCondition(int wanted, double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::unique_lock lock(mutex);
    if (!changed.wait_until(lock, deadline, [&] { return available(wanted); }) || interrupted)
        return false;
    held = true;
    return true;
}

void ConditionLock::unlockWithCondition(int newCondition)
{
    {
        std::lock_guard lock(mutex);
        held = false;
        currentCondition = newCondition;
    }
    changed.notify_all();
}

void ConditionLock::setCondition(int newCondition)
{
    {
        std::lock_guard lock(mutex);
        currentCondition = newCondition;
    }
    changed.notify_all();
}

void ConditionLock::interrupt()
{
    {
        std::lock_guard lock(mutex);
        interrupted = true;
    }
    changed.notify_all();
}
