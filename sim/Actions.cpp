#include "sim/Actions.h"

#include "protocol/Datalog.h"
#include "protocol/Opcodes.h"
#include "protocol/Outputs.h"
#include "protocol/Sensors.h"
#include "protocol/Words.h"

#include <algorithm>
#include <iterator>
#include <optional>

struct Actions::Instruction {
    std::uint8_t opcode;
    std::uint8_t length; // bytes, the opcode included
    bool (Actions::*run)(std::uint8_t opcode, Arguments, const Sources::Context&);
};

namespace {

// The mode an on/off/float command sets; code 3, with the bit of on, is on.
OutputMode modeOf(std::uint8_t commandByte)
{
    const int code = outputCodeOf(commandByte);
    return code >= static_cast<int>(OutputMode::On) ? OutputMode::On : static_cast<OutputMode>(code);
}

// The direction a direction command leaves; code 3, with the bit of forward,
// is forward.
bool directionOf(std::uint8_t commandByte, bool forward)
{
    switch (static_cast<OutputDirection>(outputCodeOf(commandByte))) {
    case OutputDirection::Reverse:
        return false;
    case OutputDirection::Flip:
        return !forward;
    default:
        return true;
    }
}

// A variable's new value; nothing when it stays (division by zero).
std::optional<int> arithmetic(std::uint8_t opcode, int current, int operand)
{
    switch (opcode) {
    case Opcode::setVariable:
        return operand;
    case Opcode::addToVariable:
        return current + operand;
    case Opcode::subtractFromVariable:
        return current - operand;
    case Opcode::divideVariable:
        if (operand == 0)
            return std::nullopt;
        return current / operand;
    case Opcode::multiplyVariable:
        return current * operand;
    case Opcode::signOfVariable:
        return (operand > 0) - (operand < 0);
    case Opcode::absoluteOfVariable:
        // The absolute value of -32768 is 32767.
        return operand == -32768 ? 32767 : std::abs(operand);
    case Opcode::andVariable:
        return current & operand;
    default: // Opcode::orVariable
        return current | operand;
    }
}

// The datalog type of a value: variables 0-31, timers 0-3, sensors 0-2 and
// the watch; nothing for other sources.
std::optional<std::uint8_t> datalogTypeOf(int source, int argument)
{
    struct Logged {
        int source;
        DatalogKind kind;
        int count;
    };
    constexpr Logged logged[] = {{variableSource, variableEntry, 32}, {timerSource, timerEntry, 4},
        {sensorValueSource, sensorEntry, 3}, {watchSource, watchEntry, 1}};
    for (const Logged& values : logged)
        if (values.source == source && argument >= 0 && argument < values.count)
            return static_cast<std::uint8_t>(datalogType(values.kind, argument));
    return std::nullopt;
}

} // namespace

const Actions::Instruction* Actions::find(std::uint8_t opcode)
{
    static constexpr Instruction instructions[] = {
        {Opcode::playVariableTone, 3, &Actions::playTone},
        {Opcode::triggerEvents, 4, &Actions::triggerEvents},
        {Opcode::calibrateEvent, 5, &Actions::calibrateEvent},
        {Opcode::setSource, 6, &Actions::setSource},
        {Opcode::clearEvents, 1, &Actions::clearEvents},
        {Opcode::setPower, 4, &Actions::setPower},
        {Opcode::setVariable, 5, &Actions::setVariable},
        {Opcode::setOnOffFloat, 2, &Actions::setOutputMode},
        {Opcode::setWatch, 3, &Actions::setWatch},
        {Opcode::playTone, 4, &Actions::playTone},
        {Opcode::addToVariable, 5, &Actions::setVariable},
        {Opcode::setTransmitterRange, 2, &Actions::setRange},
        {Opcode::setSensorType, 3, &Actions::setSensorType},
        {Opcode::setDisplay, 4, &Actions::setDisplay},
        {Opcode::subtractFromVariable, 5, &Actions::setVariable},
        {Opcode::setSensorMode, 3, &Actions::setSensorMode},
        {Opcode::divideVariable, 5, &Actions::setVariable},
        {Opcode::playSound, 2, &Actions::playSound},
        {Opcode::setDatalogSize, 3, &Actions::setDatalogSize},
        {Opcode::multiplyVariable, 5, &Actions::setVariable},
        {Opcode::powerOff, 1, &Actions::powerOff},
        {Opcode::logNext, 3, &Actions::logNext},
        {Opcode::signOfVariable, 5, &Actions::setVariable},
        {Opcode::setGlobalOnOffFloat, 2, &Actions::setOutputMode},
        {Opcode::absoluteOfVariable, 5, &Actions::setVariable},
        {Opcode::setGlobalDirection, 2, &Actions::setDirection},
        {Opcode::clearSounds, 1, &Actions::setSounds},
        {Opcode::andVariable, 5, &Actions::setVariable},
        {Opcode::clearMessage, 1, &Actions::clearMessage},
        {Opcode::setEvent, 4, &Actions::setEvent},
        {Opcode::orVariable, 5, &Actions::setVariable},
        {Opcode::incrementCounter, 2, &Actions::changeCounter},
        {Opcode::clearTimer, 2, &Actions::clearTimer},
        {Opcode::setMaxPower, 4, &Actions::setPower},
        {Opcode::decrementCounter, 2, &Actions::changeCounter},
        {Opcode::setPowerDownDelay, 2, &Actions::setPowerDownDelay},
        {Opcode::sendMessage, 3, &Actions::sendMessage},
        {Opcode::clearCounter, 2, &Actions::changeCounter},
        {Opcode::sendSerial, 3, &Actions::sendSerial},
        {Opcode::mute, 1, &Actions::setSounds},
        {Opcode::clearSensor, 2, &Actions::clearSensor},
        {Opcode::unmute, 1, &Actions::setSounds},
        {Opcode::setDirection, 2, &Actions::setDirection},
        {Opcode::setUserDisplay, 6, &Actions::setUserDisplay},
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
    const std::optional<int> operand = sources.read(arguments[1], signedLittleEndian16(arguments, 2), context);
    if (!variable || !operand)
        return false;
    if (const std::optional<int> result = arithmetic(opcode, *variable, static_cast<std::int16_t>(*operand)))
        *variable = static_cast<std::int16_t>(*result);
    return true;
}

bool Actions::setSource(std::uint8_t, Arguments arguments, const Sources::Context& context)
{
    const std::optional<int> value = sources.read(arguments[2], signedLittleEndian16(arguments, 3), context);
    return value && sources.write(arguments[0], arguments[1], *value, context);
}

bool Actions::setPower(std::uint8_t opcode, Arguments arguments, const Sources::Context& context)
{
    const std::optional<int> value = sources.read(arguments[1], arguments[2], context);
    if (!value)
        return false;
    const int power = std::clamp(*value, 0, 7);
    const bool maximum = opcode == Opcode::setMaxPower;
    forOutputs(arguments[0], [&](OutputState& output) { (maximum ? output.maxPower : output.power) = power; });
    return true;
}

bool Actions::setOutputMode(std::uint8_t opcode, Arguments arguments, const Sources::Context&)
{
    const OutputMode mode = modeOf(arguments[0]);
    const bool global = opcode == Opcode::setGlobalOnOffFloat;
    forOutputs(arguments[0], [&](OutputState& output) { (global ? output.globalMode : output.mode) = mode; });
    return true;
}

bool Actions::setDirection(std::uint8_t opcode, Arguments arguments, const Sources::Context&)
{
    const bool global = opcode == Opcode::setGlobalDirection;
    forOutputs(arguments[0], [&](OutputState& output) {
        bool& forward = global ? output.globalForward : output.forward;
        forward = directionOf(arguments[0], forward);
    });
    return true;
}

bool Actions::setSensorType(std::uint8_t, Arguments arguments, const Sources::Context&)
{
    if (arguments[0] >= state.sensors.size() || arguments[1] >= sensorTypeCount)
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
    // playTone names the frequency; playVariableTone the variable that holds
    // it.
    const bool named = opcode == Opcode::playTone;
    const std::optional<int> frequency =
        named ? signedLittleEndian16(arguments, 0) : sources.read(variableSource, arguments[0], context);
    if (!frequency)
        return false;
    state.play({.frequency = *frequency, .duration = arguments[named ? 2 : 1]});
    return true;
}

bool Actions::setSounds(std::uint8_t opcode, Arguments, const Sources::Context&)
{
    // clearSounds clears the sounds still queued; here each plays at once, so
    // none is left to clear.
    if (opcode != Opcode::clearSounds)
        state.muted = opcode == Opcode::mute;
    return true;
}

bool Actions::setDisplay(std::uint8_t, Arguments arguments, const Sources::Context& context)
{
    const std::optional<int> shown = sources.read(arguments[0], signedLittleEndian16(arguments, 1), context);
    if (!shown || *shown < 0 || *shown > 7)
        return false;
    state.display = *shown;
    return true;
}

bool Actions::setUserDisplay(std::uint8_t, Arguments arguments, const Sources::Context&)
{
    state.userDisplay = {.source = arguments[2], .argument = signedLittleEndian16(arguments, 3), .decimals = arguments[1]};
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
    return state.setDatalogSize(littleEndian16(arguments, 0));
}

bool Actions::logNext(std::uint8_t, Arguments arguments, const Sources::Context& context)
{
    const std::optional<std::uint8_t> type = datalogTypeOf(arguments[0], arguments[1]);
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
    const int counted = opcode == Opcode::clearCounter ? 0 : *value + (opcode == Opcode::incrementCounter ? 1 : -1);
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
    const std::optional<int> mask = sources.read(arguments[0], signedLittleEndian16(arguments, 1), context);
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
