#include "sim/Events.h"

#include "sim/BrickState.h"

void EventState::configure(int newSource, EventType newType)
{
    source = newSource;
    type = newType;
    range = EventRange::Undefined;
    on = false;
    lastClickAt = -1;
}

EventRange EventState::rangeOf(int value) const
{
    if (range == EventRange::High && value > upper - hysteresis)
        return EventRange::High;
    if (range == EventRange::Low && value < lower + hysteresis)
        return EventRange::Low;
    if (value > upper)
        return EventRange::High;
    if (value < lower)
        return EventRange::Low;
    return EventRange::Normal;
}

bool EventState::clicked(EventRange before, std::int64_t now)
{
    if (before == EventRange::Low && range != EventRange::Low)
        leftLowAt = now;
    if (before != EventRange::High || range != EventRange::Low || now - leftLowAt > clickTime * 10)
        return false;
    ++clicks;
    const bool second = lastClickAt >= 0 && now - lastClickAt <= clickTime * 10;
    lastClickAt = second ? -1 : now;
    return type == clickEvent || second;
}

bool EventState::occurs(const EventSample& sample, std::int64_t now)
{
    const EventRange before = range;
    const bool wasOn = on;
    range = rangeOf(sample.value);
    on = sample.on;
    if (before == EventRange::Undefined)
        return type == messageEvent && sample.message;
    switch (type) {
    case pressedEvent:
        return on && !wasOn;
    case releasedEvent:
    case pulseEvent:
        return wasOn && !on;
    case edgeEvent:
        return on != wasOn;
    case lowEvent:
        return range == EventRange::Low && before != EventRange::Low;
    case normalEvent:
        return range == EventRange::Normal && before != EventRange::Normal;
    case highEvent:
        return range == EventRange::High && before != EventRange::High;
    case clickEvent:
    case doubleClickEvent:
        return clicked(before, now);
    case messageEvent:
        return sample.message;
    default:
        return false;
    }
}

EventSample sampleOf(const BrickState& state, int source, std::int64_t now)
{
    constexpr int firstTimer = 3;
    constexpr int message = 7;
    constexpr int firstCounter = 8;
    if (source < firstTimer) {
        const SensorState& sensor = state.sensors[static_cast<std::size_t>(source)];
        return {.value = sensor.value, .on = sensor.boolean};
    }
    if (source < message)
        return {.value = state.timers.read(source - firstTimer, now, TimerState::tenths)};
    if (source == message)
        return {.value = state.lastMessage, .message = state.messageArrived};
    return {.value = state.counters[static_cast<std::size_t>(source - firstCounter)]};
}

std::uint16_t occurredEvents(BrickState& state, std::int64_t now)
{
    std::uint16_t occurred = state.pendingEvents;
    for (std::size_t number = 0; number < state.events.size(); ++number) {
        EventState& event = state.events[number];
        if (event.type != noEvent && event.occurs(sampleOf(state, event.source, now), now))
            occurred |= static_cast<std::uint16_t>(1 << number);
    }
    state.pendingEvents = 0;
    state.messageArrived = false;
    return occurred;
}
