#pragma once

#include <cstdint>

struct BrickState;

// The newer firmware's configurable events. Each of the 16 events watches one
// source (sensors 1-3, timers 0-3, the message, counters 0-2) for one kind
// of change; a task in a monitor for that event is interrupted when it
// occurs.
//
// A sensor is "on" by its boolean state; every source's value is "low"
// below the lower limit, "high" above the upper one, "normal" in between,
// and stays low or high until it leaves that range by more than the
// hysteresis.
enum EventType : std::uint8_t {
    pressedEvent = 0,     // a sensor goes on
    releasedEvent = 1,    // a sensor goes off
    pulseEvent = 2,       // a sensor goes off again after on
    edgeEvent = 3,        // a sensor goes on or off
    fastChangeEvent = 7,  // not modelled: never occurs
    lowEvent = 8,         // the value becomes low
    normalEvent = 9,      // the value becomes normal
    highEvent = 10,       // the value becomes high
    clickEvent = 11,      // low, high, low again within the click time
    doubleClickEvent = 12, // a click within the click time of the last one
    messageEvent = 14,    // a message arrives
    noEvent = 16,
};

enum class EventRange : std::uint8_t { Low = 0, Normal = 1, High = 2, Undefined = 3 };

// What an event's source shows at one moment.
struct EventSample {
    int value = 0;
    bool on = false;
    bool message = false;
};

struct EventState {
    static constexpr int sources = 11; // 0-2 sensors, 3-6 timers, 7 message, 8-10 counters

    int source = 0;
    EventType type = noEvent;
    int upper = 32767;
    int lower = -32768;
    int hysteresis = 0;
    int clickTime = 50; // hundredths of a second
    int clicks = 0;     // the click counter

    // Follows the source.
    EventRange range = EventRange::Undefined;
    bool on = false;
    std::int64_t leftLowAt = 0;
    std::int64_t lastClickAt = -1;

    // A new configuration: the source's state is seen afresh.
    void configure(int newSource, EventType newType);
    // Takes the source's state at `now` (milliseconds); true when the event
    // occurs.
    bool occurs(const EventSample& sample, std::int64_t now);

private:
    EventRange rangeOf(int value) const;
    bool clicked(EventRange before, std::int64_t now);
};

// What event source `source` shows at `now`.
EventSample sampleOf(const BrickState& state, int source, std::int64_t now);
// The events that occur at `now`, those triggered since the last call
// included.
std::uint16_t occurredEvents(BrickState& state, std::int64_t now);
