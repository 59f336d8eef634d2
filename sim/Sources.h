#pragma once

#include "protocol/Sources.h"
#include "sim/BrickState.h"

#include <cstdint>
#include <optional>
#include <random>

// Reads and writes, on the brick's state, the values that the sources of
// protocol/Sources.h name.
class Sources {
public:
    // Where a value is read or written: the task (none for the host's
    // commands) and the brick time in milliseconds.
    struct Context {
        TaskState* task = nullptr;
        std::int64_t now = 0;
    };

    explicit Sources(BrickState& state);

    // The value, or nothing for an unknown source or an argument out of
    // range.
    std::optional<int> read(int source, int argument, const Context& context);
    // False for a source that cannot be written or an argument out of range.
    bool write(int source, int argument, int value, const Context& context);
    // Variable `index` as the context sees it; null when there is none.
    std::int16_t* variable(int index, const Context& context);

private:
    std::optional<int> readSensor(int source, const SensorState& sensor) const;
    std::optional<int> readEvent(int source, const EventState& event) const;
    bool writeEvent(int source, EventState& event, int value);
    std::optional<int> taskEvents(int task, const Context& context) const;

    BrickState& state;
    std::minstd_rand random;
};
