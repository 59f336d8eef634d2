#pragma once

#include <chrono>
#include <cstdint>

// The brick's time in milliseconds since the brick was made. The wall clock
// follows the machine's steady clock, so a program runs as on a brick; the
// manual clock stands still until advance() moves it, so tests are exact.
class BrickClock {
public:
    enum class Kind { Wall, Manual };

    explicit BrickClock(Kind kind = Kind::Wall);

    Kind kind() const { return myKind; }
    std::int64_t now() const;
    // Moves a manual clock forward; a wall clock ignores it.
    void advance(std::int64_t milliseconds);

private:
    Kind myKind;
    std::chrono::steady_clock::time_point start;
    std::int64_t manualNow = 0;
};
