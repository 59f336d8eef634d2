#include "sim/Actions.h"

#include <algorithm>
#include <iterator>
#include <optional>

struct Actions::Instruction {
    std::uint8_t opcode;
    std::uint8_t length; // bytes, the opcode included
    bool (Actions::*run)(std::uint8_t opcode, Arguments, const Sources::Context&);
};

namespace {

int word(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::int16_t>(bytes[at] | bytes[at + 1] << 8);
}

// The mode bits 6-7 of on/off/float: 2 on, 1 off, 0 float.
OutputMode modeOf(std::uint8_t code)
{
    return (code & 0x80) ? OutputMode::On : (code & 0x40) ? OutputMode::Off : OutputMode::Float;
}

// The direction bits 6-7: 2 forward, 1 flip, 0 reverse.
bool directionOf(std::uint8_t code, bool forward)
{
    return (code & 0x80) ? true : (code & 0x40) ? !forward : false;
}

// A variable's new value; nothing when it stays (division by zero).
std::optional<int> arithmetic(std::uint8_t opcode, int current, int operand)
{
    switch (opcode) {
    case 0x14:
        return operand;
    case 0x24:
        return current + operand;
    case 0x34:
        return current - operand;
    case 0x44:
        if (operand == 0)
            return std::nullopt;
        return current / operand;
    case 0x54:
        return current * operand;
    case 0x64:
        return (operand > 0) - (operand < 0);
    case 0x74:
        // The absolute value of -32768 is 32767.
        return operand == -32768 ? 32767 : std::abs(operand);
    case 0x84:
        return current & operand;
    default: // 0x94
        return current | operand;
    }
}

// The datalog type of a value: variable 0-31, timer 0x20-0x23, sensor
// 0x40-0x42, watch 0x80; nothing for other sources.
std::optional<std::uint8_t> datalogType(int source, int argument)
{
    struct Kind {
        int source;
        int base;
        int count;
    };
    constexpr Kind kinds[] = {{variableSource, 0x00, 32}, {timerSource, 0x20, 4}, {sensorValueSource, 0x40, 3},
        {watchSource, 0x80, 1}};
    for (const Kind& kind : kinds)
        if (kind.source == source && argument >= 0 && argument < kind.count)
            return static_cast<std::uint8_t>(kind.base + argument);
    return std::nullopt;
}

} // namespace

const Actions::Instruction* Actions::find(std::uint8_t opcode)
{
    static constexpr Instruction instructions[] = {
        {0x02, 3, &Actions::playTone},
        {0x03, 4, &Actions::triggerEvents},
        {0x04, 5, &Actions::calibrateEvent},
        {0x05, 6, &Actions::setSource},
        {0x06, 1, &Actions::clearEvents},
        {0x13, 4, &Actions::setPower},
        {0x14, 5, &Actions::setVariable},
        {0x21, 2, &Actions::setOutputMode},
        {0x22, 3, &Actions::setWatch},
        {0x23, 4, &Actions::playTone},
        {0x24, 5, &Actions::setVariable},
        {0x31, 2, &Actions::setRange},
        {0x32, 3, &Actions::setSensorType},
        {0x33, 4, &Actions::setDisplay},
        {0x34, 5, &Actions::setVariable},
        {0x42, 3, &Actions::setSensorMode},
        {0x44, 5, &Actions::setVariable},
        {0x51, 2, &Actions::playSound},
        {0x52, 3, &Actions::setDatalogSize},
        {0x54, 5, &Actions::setVariable},
        {0x60, 1, &Actions::powerOff},
        {0x62, 3, &Actions::logNext},
        {0x64, 5, &Actions::setVariable},
        {0x67, 2, &Actions::setOutputMode},
        {0x74, 5, &Actions::setVariable},
        {0x77, 2, &Actions::setDirection},
        {0x80, 1, &Actions::setSounds},
        {0x84, 5, &Actions::setVariable},
        {0x90, 1, &Actions::clearMessage},
        {0x93, 4, &Actions::setEvent},
        {0x94, 5, &Actions::setVariable},
        {0x97, 2, &Actions::changeCounter},
        {0xA1, 2, &Actions::clearTimer},
        {0xA3, 4, &Actions::setPower},
        {0xA7, 2, &Actions::changeCounter},
        {0xB1, 2, &Actions::setPowerDownDelay},
        {0xB2, 3, &Actions::sendMessage},
        {0xB7, 2, &Actions::changeCounter},
        {0xC2, 3, &Actions::sendSerial},
        {0xD0, 1, &Actions::setSounds},
        {0xD1, 2, &Actions::clearSensor},
        {0xE0, 1, &Actions::setSounds},
        {0xE1, 2, &Actions::setDirection},
        {0xE5, 6, &Actions::setUserDisplay},
    };
    const auto found = std::find_if(std::begin(instructions), std::end(instructions),
        [opcode](const Instruction& instruction) { return instruction.opcode == opcode; });
    return found == std::end(instructions) ? nullptr : found;
}

Actions::Actions(BrickState& state, Sources& sources, Transmit transmit)
    : state(state)
    , sources(sources)
    , transmit(std::move(transmit))
{
}

int Actions::lengthOf(std::uint8_t opcode)
{
    const Instruction* instruction = find(opcode);
    return instruction ? instruction->length : 0;
}

bool Actions::run(std::uint8_t opcode, Arguments arguments, const Sources::Context& context)
{
    const Instruction* instruction = find(opcode);
    if (!instruction || arguments.size() + 1 < instruction->length)
        return false;
    return (this->*instruction->run)(opcode, arguments, context);
}

template <typename Change> void Actions::forOutputs(std::uint8_t mask, Change change)
{
    for (std::size_t output = 0; output < state.outputs.size(); ++output)
        if (mask & 1 << output)
            change(state.outputs[output]);
}

bool Actions::setVariable(std::uint8_t opcode, Arguments arguments, const Sources::Context& context)
{
    std::int16_t* variable = sources.variable(arguments[0], context);
    const std::optional<int> operand = sources.read(arguments[1], word(arguments, 2), context);
    if (!variable || !operand)
        return false;
    if (const std::optional<int> result = arithmetic(opcode, *variable, static_cast<std::int16_t>(*operand)))
        *variable = static_cast<std::int16_t>(*result);
    return true;
}

bool Actions::setSource(std::uint8_t, Arguments arguments, const Sources::Context& context)
{
    const std::optional<int> value = sources.read(arguments[2], word(arguments, 3), context);
    return value && sources.write(arguments[0], arguments[1], *value, context);
}

bool Actions::setPower(std::uint8_t opcode, Arguments arguments, const Sources::Context& context)
{
    const std::optional<int> value = sources.read(arguments[1], arguments[2], context);
    if (!value)
        return false;
    const int power = std::clamp(*value, 0, 7);
    const bool maximum = opcode == 0xA3;
    forOutputs(arguments[0], [&](OutputState& output) { (maximum ? output.maxPower : output.power) = power; });
    return true;
}

bool Actions::setOutputMode(std::uint8_t opcode, Arguments arguments, const Sources::Context&)
{
    const OutputMode mode = modeOf(arguments[0]);
    const bool global = opcode == 0x67;
    forOutputs(arguments[0], [&](OutputState& output) { (global ? output.globalMode : output.mode) = mode; });
    return true;
}

bool Actions::setDirection(std::uint8_t opcode, Arguments arguments, const Sources::Context&)
{
    const bool global = opcode == 0x77;
    forOutputs(arguments[0], [&](OutputState& output) {
        bool& forward = global ? output.globalForward : output.forward;
        forward = directionOf(arguments[0], forward);
    });
    return true;
}

bool Actions::setSensorType(std::uint8_t, Arguments arguments, const Sources::Context&)
{
    if (arguments[0] >= state.sensors.size() || arguments[1] > 4)
        return false;
    state.sensors[arguments[0]].setType(arguments[1]);
    return true;
}

bool Actions::setSensorMode(std::uint8_t, Arguments arguments, const Sources::Context&)
{
    if (arguments[0] >= state.sensors.size())
        return false;
    state.sensors[arguments[0]].setModeByte(arguments[1]);
    return true;
}

bool Actions::clearSensor(std::uint8_t, Arguments arguments, const Sources::Context&)
{
    if (arguments[0] >= state.sensors.size())
        return false;
    state.sensors[arguments[0]].clear();
    return true;
}

bool Actions::playSound(std::uint8_t, Arguments arguments, const Sources::Context&)
{
    if (arguments[0] > 5)
        return false;
    state.play({.sound = arguments[0]});
    return true;
}

bool Actions::playTone(std::uint8_t opcode, Arguments arguments, const Sources::Context& context)
{
    // 0x23 names the frequency; 0x02 the variable that holds it.
    const std::optional<int> frequency =
        opcode == 0x23 ? word(arguments, 0) : sources.read(variableSource, arguments[0], context);
    if (!frequency)
        return false;
    state.play({.frequency = *frequency, .duration = arguments[opcode == 0x23 ? 2 : 1]});
    return true;
}

bool Actions::setSounds(std::uint8_t opcode, Arguments, const Sources::Context&)
{
    // 0x80 clears the sounds still queued; here each plays at once, so none
    // is left to clear.
    if (opcode != 0x80)
        state.muted = opcode == 0xD0;
    return true;
}

bool Actions::setDisplay(std::uint8_t, Arguments arguments, const Sources::Context& context)
{
    const std::optional<int> shown = sources.read(arguments[0], word(arguments, 1), context);
    if (!shown || *shown < 0 || *shown > 7)
        return false;
    state.display = *shown;
    return true;
}

bool Actions::setUserDisplay(std::uint8_t, Arguments arguments, const Sources::Context&)
{
    state.userDisplay = {.source = arguments[2], .argument = word(arguments, 3), .decimals = arguments[1]};
    return true;
}

bool Actions::sendMessage(std::uint8_t, Arguments arguments, const Sources::Context& context)
{
    const std::optional<int> value = sources.read(arguments[0], arguments[1], context);
    if (!value)
        return false;
    if (transmit)
        transmit(static_cast<std::uint8_t>(*value));
    return true;
}

bool Actions::clearMessage(std::uint8_t, Arguments, const Sources::Context&)
{
    state.lastMessage = 0;
    return true;
}

bool Actions::setDatalogSize(std::uint8_t, Arguments arguments, const Sources::Context&)
{
    return state.setDatalogSize(word(arguments, 0) & 0xFFFF);
}

bool Actions::logNext(std::uint8_t, Arguments arguments, const Sources::Context& context)
{
    const std::optional<std::uint8_t> type = datalogType(arguments[0], arguments[1]);
    const std::optional<int> value = sources.read(arguments[0], arguments[1], context);
    if (!type || !value)
        return false;
    state.datalog.append({*type, static_cast<std::int16_t>(*value)});
    return true;
}

bool Actions::setWatch(std::uint8_t, Arguments arguments, const Sources::Context& context)
{
    if (arguments[0] >= 24 || arguments[1] >= 60)
        return false;
    state.watchSetting = {.minutes = arguments[0] * 60 + arguments[1], .setAt = context.now};
    return true;
}

bool Actions::clearTimer(std::uint8_t, Arguments arguments, const Sources::Context& context)
{
    return sources.write(timerSource, arguments[0], 0, context);
}

bool Actions::setRange(std::uint8_t, Arguments arguments, const Sources::Context&)
{
    state.transmitterRange = arguments[0] & 1;
    return true;
}

bool Actions::setPowerDownDelay(std::uint8_t, Arguments arguments, const Sources::Context&)
{
    state.powerDownDelay = arguments[0];
    return true;
}

bool Actions::powerOff(std::uint8_t, Arguments, const Sources::Context&)
{
    state.powerOff();
    return true;
}

bool Actions::changeCounter(std::uint8_t opcode, Arguments arguments, const Sources::Context& context)
{
    const std::optional<int> value = sources.read(counterSource, arguments[0], context);
    if (!value)
        return false;
    const int counted = opcode == 0xB7 ? 0 : *value + (opcode == 0x97 ? 1 : -1);
    return sources.write(counterSource, arguments[0], counted, context);
}

bool Actions::setEvent(std::uint8_t, Arguments arguments, const Sources::Context&)
{
    if (arguments[0] >= state.events.size() || arguments[1] >= EventState::sources)
        return false;
    state.events[arguments[0]].configure(arguments[1], static_cast<EventType>(arguments[2]));
    return true;
}

bool Actions::clearEvents(std::uint8_t, Arguments, const Sources::Context&)
{
    state.events = {};
    return true;
}

bool Actions::triggerEvents(std::uint8_t, Arguments arguments, const Sources::Context& context)
{
    const std::optional<int> mask = sources.read(arguments[0], word(arguments, 1), context);
    if (!mask)
        return false;
    state.pendingEvents |= static_cast<std::uint16_t>(*mask);
    return true;
}

bool Actions::calibrateEvent(std::uint8_t, Arguments arguments, const Sources::Context& context)
{
    if (arguments[0] >= state.events.size())
        return false;
    EventState& event = state.events[arguments[0]];
    const int value = sampleOf(state, event.source, context.now).value;
    event.upper = value + arguments[1];
    event.lower = value - arguments[2];
    event.hysteresis = arguments[3];
    return true;
}

bool Actions::sendSerial(std::uint8_t, Arguments, const Sources::Context&)
{
    return true;
}
