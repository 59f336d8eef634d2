#pragma once

#include <chrono>
#include <cstddef>
#include <deque>

// The readings of one sensor over the last two minutes, all in one mode: a
// reading in another mode (another type, mode or slope) starts the history
// afresh, since its values mean something else.
class SensorHistory {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::seconds span{120};
    // Two minutes at the fastest polling (one tick of 0.1 s): the bound
    // also holds when readings come faster than the clock moves.
    static constexpr std::size_t maxSamples = 1200;

    struct Mode {
        int type;
        int mode;
        int slope;
        bool operator==(const Mode&) const = default;
    };
    struct Sample {
        Clock::time_point time;
        int value;
    };

    // Adds a reading taken at `time`, and forgets those taken more than two
    // minutes before it.
    void record(int value, Mode mode, Clock::time_point time);
    void clear();

    bool isEmpty() const { return samples.empty(); }
    const std::deque<Sample>& readings() const { return samples; }
    Mode currentMode() const { return mode; }
    int lowest() const { return low; }
    int highest() const { return high; }

private:
    void findRange();

    std::deque<Sample> samples;
    Mode mode{};
    int low = 0;
    int high = 0;
};
