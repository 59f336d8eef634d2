#include "sim/BrickClock.h"

BrickClock::BrickClock(Kind kind)
    : myKind(kind)
    , start(std::chrono::steady_clock::now())
{
}

std::int64_t BrickClock::now() const
{
    if (myKind == Kind::Manual)
        return manualNow;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

void BrickClock::advance(std::int64_t milliseconds)
{
    if (myKind == Kind::Manual)
        manualNow += milliseconds;
}
