#include "sim/Sources.h"

#include <algorithm>

namespace {

bool within(int value, int count)
{
    return value >= 0 && value < count;
}

template <typename Array> auto* at(Array& values, int index)
{
    return within(index, static_cast<int>(values.size())) ? &values[static_cast<std::size_t>(index)] : nullptr;
}

std::optional<int> load(const std::int16_t* slot)
{
    if (!slot)
        return std::nullopt;
    return *slot;
}

// Milliseconds a tick of the timer that `source` reads.
int resolutionOf(int source)
{
    return source == timerSource ? TimerState::tenths : TimerState::hundredths;
}

bool store(std::int16_t* slot, std::int16_t value)
{
    if (slot)
        *slot = value;
    return slot != nullptr;
}

} // namespace

Sources::Sources(BrickState& state)
    : state(state)
{
}

std::int16_t* Sources::variable(int index, const Context& context)
{
    if (std::int16_t* global = at(state.variables, index))
        return global;
    if (context.task)
        return at(context.task->locals, index - BrickState::variableCount);
    return nullptr;
}

std::optional<int> Sources::read(int source, int argument, const Context& context)
{
    switch (source) {
    case variableSource:
        return load(variable(argument, context));
    case indirectSource:
        if (const std::int16_t* index = variable(argument, context))
            return read(variableSource, *index, context);
        return std::nullopt;
    case timerSource:
    case fastTimerSource:
        if (!within(argument, 4))
            return std::nullopt;
        return state.timers.read(argument, context.now, resolutionOf(source));
    case constantSource:
        return static_cast<std::int16_t>(argument);
    case outputSource:
    case globalOutputSource:
        if (const OutputState* output = at(state.outputs, argument))
            return source == outputSource ? output->statusByte() : output->globalStatusByte();
        return std::nullopt;
    case randomSource:
        return std::uniform_int_distribution<int>(0, std::max(argument, 0))(random);
    case slotSource:
        return state.slot;
    case watchSource:
        return state.watchSetting.minutesAt(context.now);
    case messageSource:
        return state.lastMessage;
    case counterSource:
        return load(at(state.counters, argument));
    case taskEventsSource:
        return taskEvents(argument, context);
    case serialSource:
        return load(at(state.serial, argument));
    case batterySource:
        return state.battery;
    case firmwareVersionSource:
        return FirmwareState::versionMajor * 100 + FirmwareState::versionMinor;
    default:
        break;
    }
    if (const SensorState* sensor = at(state.sensors, argument))
        if (std::optional<int> value = readSensor(source, *sensor))
            return value;
    if (const EventState* event = at(state.events, argument))
        return readEvent(source, *event);
    return std::nullopt;
}

std::optional<int> Sources::readSensor(int source, const SensorState& sensor) const
{
    switch (source) {
    case sensorValueSource:
        return sensor.value;
    case sensorTypeSource:
        return sensor.type;
    case sensorModeSource:
        return sensor.modeByte();
    case sensorRawSource:
        return sensor.raw;
    case sensorBooleanSource:
        return sensor.boolean ? 1 : 0;
    default:
        return std::nullopt;
    }
}

std::optional<int> Sources::readEvent(int source, const EventState& event) const
{
    switch (source) {
    case eventRangeSource:
        return static_cast<int>(event.range);
    case clickCounterSource:
        return event.clicks;
    case upperLimitSource:
        return event.upper;
    case lowerLimitSource:
        return event.lower;
    case hysteresisSource:
        return event.hysteresis;
    case clickTimeSource:
        return event.clickTime;
    default:
        return std::nullopt;
    }
}

std::optional<int> Sources::taskEvents(int task, const Context& context) const
{
    // Task 10 is the one that asks.
    if (task == BrickState::taskCount && context.task)
        return context.task->activeEvents;
    if (const TaskState* named = at(state.tasks, task))
        return named->activeEvents;
    return std::nullopt;
}

bool Sources::write(int source, int argument, int value, const Context& context)
{
    const auto word = static_cast<std::int16_t>(value);
    switch (source) {
    case variableSource:
        return store(variable(argument, context), word);
    case indirectSource:
        if (const std::int16_t* index = variable(argument, context))
            return write(variableSource, *index, value, context);
        return false;
    case timerSource:
    case fastTimerSource:
        if (!within(argument, 4))
            return false;
        state.timers.set(argument, value, context.now, resolutionOf(source));
        return true;
    case randomSource:
        random.seed(static_cast<std::uint32_t>(value));
        return true;
    case counterSource:
        return store(at(state.counters, argument), word);
    case serialSource:
        return store(at(state.serial, argument), word);
    default:
        break;
    }
    if (EventState* event = at(state.events, argument))
        return writeEvent(source, *event, word);
    return false;
}

bool Sources::writeEvent(int source, EventState& event, int value)
{
    switch (source) {
    case clickCounterSource:
        event.clicks = value;
        return true;
    case upperLimitSource:
        event.upper = value;
        return true;
    case lowerLimitSource:
        event.lower = value;
        return true;
    case hysteresisSource:
        event.hysteresis = value;
        return true;
    case clickTimeSource:
        event.clickTime = value;
        return true;
    default:
        return false;
    }
}
