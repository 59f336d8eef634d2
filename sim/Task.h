#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Where a task is in the code: in its own code (sub -1) or in subroutine
// `sub`, at byte `pc`.
struct CodePosition {
    int sub = -1;
    int pc = 0;

    bool operator==(const CodePosition&) const = default;
};

// A block a task entered that can interrupt it: a monitor (events) or an
// access-control block (resources). When it strikes, the task continues at
// the handler, leaving the subroutine calls made since it entered the block.
struct Handler {
    std::uint16_t mask = 0; // events, or resources (bits 0-2 outputs A-C, 3 sound)
    CodePosition at;
    std::size_t callDepth = 0;
};

// One task's execution state.
struct TaskState {
    static constexpr int localCount = 16;       // variables 32 to 47
    static constexpr std::size_t maxCalls = 8;  // nested subroutine calls
    static constexpr std::size_t maxLoops = 4;  // nested loop counters
    static constexpr std::size_t maxMonitors = 4;

    bool running = false;
    CodePosition at;
    std::vector<CodePosition> calls;        // where each return goes
    std::vector<int> loopCounters;          // innermost last
    std::array<std::int16_t, localCount> locals{};
    std::int64_t waitUntil = 0;             // brick time, milliseconds
    int priority = 0;                       // 0 highest, 255 lowest
    std::vector<Handler> monitors;          // outermost first
    std::optional<Handler> access;
    std::uint16_t activeEvents = 0;         // the events that last interrupted it

    // From the start of its code, with nothing pending; keeps its locals.
    void start();
    // Ends it, giving up its monitors and resources.
    void stop();
    // Goes on at the handler, leaving the calls made since it was set.
    void interrupt(const Handler& handler);
    // Ends the subroutine it is in; false when it is in its own code.
    bool returnFromSub();
};
