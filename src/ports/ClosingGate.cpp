#include "ports/ClosingGate.h"

void ClosingGate::open()
{
    std::lock_guard lock(mutex);
    isOpen = true;
}

bool ClosingGate::enter()
{
    std::lock_guard lock(mutex);
    if (!isOpen)
        return false;
    ++users;
    return true;
}

void ClosingGate::leave()
{
    std::lock_guard lock(mutex);
    if (--users == 0)
        left.notify_all();
}

bool ClosingGate::isClosing()
{
    std::lock_guard lock(mutex);
    return !isOpen;
}

bool ClosingGate::close(const std::function<void()>& wake)
{
    std::unique_lock lock(mutex);
    if (!isOpen)
        return false;
    isOpen = false;
    wake();
    left.wait(lock, [&] { return users == 0; });
    return true;
}
