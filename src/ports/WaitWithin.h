#pragma once

#include "ports/Port.h"

#include <condition_variable>
#include <mutex>

// Waits on `changed` until `ready()` holds or `limit` has passed (never, for
// Port::noTimeLimit); returns ready().
template <typename Predicate>
bool waitWithin(std::condition_variable& changed, std::unique_lock<std::mutex>& lock, Port::ReadLimit limit,
                Predicate ready)
{
    if (limit == Port::noTimeLimit) {
        changed.wait(lock, ready);
        return true;
    }
    return changed.wait_for(lock, limit, ready);
}
