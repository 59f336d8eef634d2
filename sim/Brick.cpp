#include "sim/Brick.h"

#include "link/Framing.h"
#include "sim/BrickControl.h"

#include <algorithm>
#include <array>
#include <iterator>

struct Brick::Command {
    std::uint8_t opcode; // toggle bit clear
    bool inRom;          // answered by the boot ROM as well
    Reply (Brick::*run)(Arguments);
};

namespace {

constexpr std::uint8_t toggleBit = 0x08;
constexpr std::array<std::uint8_t, 5> firmwareKey = {0x01, 0x03, 0x05, 0x07, 0x0B};
constexpr std::array<std::uint8_t, 5> unlockKey = {0x4C, 0x45, 0x47, 0x4F, 0xAE};
constexpr char unlockAnswer[] = "Just a bit off the block!";

// Sent by the host with the toggle bit always clear: each one acts.
bool actsEveryTime(std::uint8_t opcode)
{
    switch (opcode & ~toggleBit) {
    case 0x60:
    case 0x65:
    case 0xD2:
    case 0xF7:
        return true;
    default:
        return false;
    }
}

bool matches(std::span<const std::uint8_t> arguments, const std::array<std::uint8_t, 5>& key)
{
    return std::equal(arguments.begin(), arguments.end(), key.begin(), key.end());
}

ByteString word16(int value)
{
    return {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8 & 0xFF)};
}

int read16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8;
}

} // namespace

const Brick::Command* Brick::lookUp(std::uint8_t opcode)
{
    static constexpr Command commands[] = {
        {0x10, true, &Brick::alive},
        {0x12, false, &Brick::getValue},
        {0x13, false, &Brick::setPower},
        {0x14, false, &Brick::setVariable},
        {0x15, true, &Brick::getVersions},
        {0x20, false, &Brick::memoryMap},
        {0x21, false, &Brick::setOnOffFloat},
        {0x22, false, &Brick::setWatch},
        {0x25, false, &Brick::beginTask},
        {0x30, true, &Brick::battery},
        {0x31, false, &Brick::setRange},
        {0x32, false, &Brick::setSensorType},
        {0x35, false, &Brick::beginSub},
        {0x40, false, &Brick::deleteTasks},
        {0x42, false, &Brick::setSensorMode},
        {0x45, true, &Brick::transferData},
        {0x50, false, &Brick::stopAll},
        {0x51, false, &Brick::playSound},
        {0x52, false, &Brick::setDatalogSize},
        {0x60, true, &Brick::powerOff},
        {0x65, true, &Brick::deleteFirmware},
        {0x70, false, &Brick::deleteSubs},
        {0x71, false, &Brick::startTask},
        {0x75, true, &Brick::beginFirmware},
        {0x81, false, &Brick::stopTask},
        {0x91, false, &Brick::selectProgram},
        {0xA4, false, &Brick::uploadDatalog},
        {0xA5, true, &Brick::unlockFirmware},
        {0xB1, false, &Brick::setPowerDownDelay},
        {0xD2, false, &Brick::remoteCommand},
        {0xE1, false, &Brick::setDirection},
        {0xF7, false, &Brick::message},
    };
    const std::uint8_t key = opcode & ~toggleBit;
    const auto found = std::find_if(std::begin(commands), std::end(commands),
        [key](const Command& command) { return command.opcode == key; });
    return found == std::end(commands) ? nullptr : found;
}

Brick::Brick(bool firmwarePresent)
    : watchSetAt(std::chrono::steady_clock::now())
    , poweredOnAt(watchSetAt)
{
    state.firmware.present = firmwarePresent;
    state.firmware.unlocked = firmwarePresent;
}

void Brick::receive(std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(mutex);
    for (std::uint8_t byte : bytes) {
        if (!state.powered)
            return;
        const std::optional<std::uint8_t> heard = noise.pass(byte);
        if (!heard)
            continue;
        decoder.feed(*heard);
        while (std::optional<ByteString> command = decoder.next())
            execute(*command);
    }
}

void Brick::setTransmitter(Transmitter transmitter)
{
    std::lock_guard lock(mutex);
    myTransmitter = std::move(transmitter);
}

std::string Brick::control(const std::string& line)
{
    return BrickControl(*this).run(line);
}

std::vector<ByteString> Brick::history() const
{
    std::lock_guard lock(mutex);
    return received;
}

void Brick::clearHistory()
{
    std::lock_guard lock(mutex);
    received.clear();
}

BrickState Brick::snapshot() const
{
    std::lock_guard lock(mutex);
    BrickState copy = state;
    copy.watch = watchNow();
    return copy;
}

void Brick::setSensorRaw(int sensor, int raw)
{
    std::lock_guard lock(mutex);
    if (sensor >= 0 && sensor < static_cast<int>(state.sensors.size()))
        state.sensors[static_cast<std::size_t>(sensor)].setRaw(raw);
}

void Brick::setBattery(int millivolts)
{
    std::lock_guard lock(mutex);
    state.battery = millivolts;
}

bool Brick::sendMessage(std::uint8_t value)
{
    std::lock_guard lock(mutex);
    if (!state.powered)
        return false;
    emit({0xF7, value});
    return true;
}

bool Brick::addDatalogEntry(std::uint8_t type, std::int16_t value)
{
    std::lock_guard lock(mutex);
    DatalogState& datalog = state.datalog;
    if (datalog.used() > datalog.size)
        return false;
    datalog.entries.push_back({type, value});
    return true;
}

void Brick::powerOn()
{
    std::lock_guard lock(mutex);
    if (state.powered)
        return;
    state.powered = true;
    decoder = CommandDecoder();
    previousOpcode.reset();
    previousReply.reset();
    poweredOnAt = std::chrono::steady_clock::now();
}

void Brick::setSilent(bool silent)
{
    std::lock_guard lock(mutex);
    state.silent = silent;
}

void Brick::setNoise(double probability)
{
    std::lock_guard lock(mutex);
    noise.setProbability(probability);
}

void Brick::setNoise(double probability, std::uint32_t seed)
{
    std::lock_guard lock(mutex);
    noise.setProbability(probability);
    noise.reseed(seed);
}

void Brick::refuseBlocks(int count)
{
    std::lock_guard lock(mutex);
    blocksToRefuse = count;
}

double Brick::noiseProbability() const
{
    std::lock_guard lock(mutex);
    return noise.probability();
}

void Brick::execute(const ByteString& command)
{
    const std::uint8_t opcode = command.front();
    received.push_back(command);
    const bool repeat = previousOpcode == opcode;
    previousOpcode = opcode;

    const Command* known = lookUp(opcode);
    if (!known || (!state.firmware.present && !known->inRom)) {
        previousReply.reset();
        return;
    }
    if (repeat && !actsEveryTime(opcode)) {
        if (previousReply)
            reply(*previousReply);
        return;
    }
    const Reply data = (this->*known->run)(Arguments(command).subspan(1));
    previousReply.reset();
    if (!data)
        return;
    ByteString values = {complement(opcode)};
    values.insert(values.end(), data->begin(), data->end());
    previousReply = values;
    reply(values);
}

void Brick::reply(const ByteString& values)
{
    if (!state.silent)
        emit(values);
}

void Brick::emit(const ByteString& values)
{
    ByteString sent;
    for (std::uint8_t byte : frame(values))
        if (std::optional<std::uint8_t> passed = noise.pass(byte))
            sent.push_back(*passed);
    if (myTransmitter && !sent.empty())
        myTransmitter(sent);
}

int Brick::watchNow() const
{
    const auto elapsed = std::chrono::steady_clock::now() - watchSetAt;
    const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(elapsed).count();
    return static_cast<int>((watchMinutes + minutes) % (24 * 60));
}

std::optional<int> Brick::valueOf(int source, int argument) const
{
    const auto index = static_cast<std::size_t>(argument);
    const bool sensor = argument >= 0 && argument < 3;
    switch (source) {
    case 0:
        if (argument >= 0 && argument < BrickState::variableCount)
            return state.variables[index];
        break;
    case 1:
        if (argument >= 0 && argument < 4) {
            const auto elapsed = std::chrono::steady_clock::now() - poweredOnAt;
            return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() / 100 % 32768);
        }
        break;
    case 2:
        return static_cast<std::int16_t>(argument);
    case 3:
        if (sensor)
            return state.outputs[index].statusByte();
        break;
    case 8:
        return state.slot;
    case 9:
        if (sensor)
            return state.sensors[index].value;
        break;
    case 10:
        if (sensor)
            return state.sensors[index].type;
        break;
    case 11:
        if (sensor)
            return state.sensors[index].modeByte();
        break;
    case 12:
        if (sensor)
            return state.sensors[index].raw;
        break;
    case 13:
        if (sensor)
            return state.sensors[index].boolean ? 1 : 0;
        break;
    case 14:
        return watchNow();
    case 15:
        return state.lastMessage;
    default:
        break;
    }
    return std::nullopt;
}

template <typename Change> void Brick::forOutputs(std::uint8_t mask, Change change)
{
    for (std::size_t output = 0; output < state.outputs.size(); ++output)
        if (mask & 1 << output)
            change(state.outputs[output]);
}

Brick::Reply Brick::alive(Arguments)
{
    return ByteString();
}

Brick::Reply Brick::getValue(Arguments arguments)
{
    const std::optional<int> value = valueOf(arguments[0], arguments[1]);
    if (!value)
        return std::nullopt;
    return word16(*value);
}

Brick::Reply Brick::setPower(Arguments arguments)
{
    const std::optional<int> power = valueOf(arguments[1], arguments[2]);
    if (!power)
        return std::nullopt;
    forOutputs(arguments[0], [&](OutputState& output) { output.power = std::clamp(*power, 0, 7); });
    return ByteString();
}

Brick::Reply Brick::setVariable(Arguments arguments)
{
    const std::optional<int> value = valueOf(arguments[1], read16(arguments, 2));
    if (arguments[0] >= BrickState::variableCount || !value)
        return std::nullopt;
    state.variables[arguments[0]] = static_cast<std::int16_t>(*value);
    return ByteString();
}

Brick::Reply Brick::getVersions(Arguments arguments)
{
    if (!matches(arguments, firmwareKey))
        return std::nullopt;
    ByteString versions(std::begin(romVersion), std::end(romVersion));
    if (state.firmware.present)
        versions.insert(versions.end(), std::begin(firmwareVersion), std::end(firmwareVersion));
    else
        versions.resize(8, 0);
    return versions;
}

Brick::Reply Brick::memoryMap(Arguments)
{
    ByteString bytes;
    for (std::uint16_t word : state.memoryMap()) {
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
    }
    return bytes;
}

Brick::Reply Brick::setOnOffFloat(Arguments arguments)
{
    const std::uint8_t code = arguments[0];
    const OutputMode mode = (code & 0x80) ? OutputMode::On : (code & 0x40) ? OutputMode::Off : OutputMode::Float;
    forOutputs(code, [mode](OutputState& output) { output.mode = mode; });
    return ByteString();
}

Brick::Reply Brick::setDirection(Arguments arguments)
{
    const std::uint8_t code = arguments[0];
    forOutputs(code, [code](OutputState& output) {
        if (code & 0x80)
            output.forward = true;
        else if (code & 0x40)
            output.forward = !output.forward;
        else
            output.forward = false;
    });
    return ByteString();
}

Brick::Reply Brick::setWatch(Arguments arguments)
{
    if (arguments[0] >= 24 || arguments[1] >= 60)
        return std::nullopt;
    watchMinutes = arguments[0] * 60 + arguments[1];
    watchSetAt = std::chrono::steady_clock::now();
    return ByteString();
}

Brick::Reply Brick::beginTask(Arguments arguments)
{
    return beginCode(true, arguments);
}

Brick::Reply Brick::beginSub(Arguments arguments)
{
    return beginCode(false, arguments);
}

Brick::Reply Brick::beginCode(bool task, Arguments arguments)
{
    const int number = read16(arguments, 1);
    const int length = read16(arguments, 3);
    downloadTarget = Target::None;
    ProgramSlot& program = state.programs[static_cast<std::size_t>(state.slot)];
    if (number >= (task ? BrickState::taskCount : BrickState::subCount))
        return ByteString{2};
    ByteString& code = task ? program.tasks[static_cast<std::size_t>(number)] : program.subs[static_cast<std::size_t>(number)];
    if (length > state.freeMemory() + static_cast<int>(code.size()))
        return ByteString{1};
    code.assign(static_cast<std::size_t>(length), 0);
    downloadTarget = task ? Target::Task : Target::Sub;
    downloadNumber = number;
    downloadOffset = 0;
    nextBlock = 1;
    lastBlock.clear();
    return ByteString{0};
}

Brick::Reply Brick::battery(Arguments)
{
    return word16(state.battery);
}

Brick::Reply Brick::setRange(Arguments arguments)
{
    state.transmitterRange = arguments[0] & 1;
    return ByteString();
}

Brick::Reply Brick::setSensorType(Arguments arguments)
{
    if (arguments[0] >= state.sensors.size() || arguments[1] > 4)
        return std::nullopt;
    state.sensors[arguments[0]].type = arguments[1];
    return ByteString();
}

Brick::Reply Brick::setSensorMode(Arguments arguments)
{
    if (arguments[0] >= state.sensors.size())
        return std::nullopt;
    state.sensors[arguments[0]].setModeByte(arguments[1]);
    return ByteString();
}

Brick::Reply Brick::deleteTasks(Arguments)
{
    for (ByteString& task : state.programs[static_cast<std::size_t>(state.slot)].tasks)
        task.clear();
    state.runningTasks.fill(false);
    return ByteString();
}

Brick::Reply Brick::deleteSubs(Arguments)
{
    for (ByteString& sub : state.programs[static_cast<std::size_t>(state.slot)].subs)
        sub.clear();
    return ByteString();
}

Brick::Reply Brick::transferData(Arguments arguments)
{
    const int block = read16(arguments, 0);
    const std::size_t length = static_cast<std::size_t>(read16(arguments, 2));
    const Arguments data = arguments.subspan(4, length);
    if (blocksToRefuse > 0) {
        --blocksToRefuse;
        return ByteString{blockChecksumError};
    }
    if (checksum(data) != arguments[4 + length])
        return ByteString{blockChecksumError};
    // The same block again (its status was lost): already stored.
    if (!lastBlock.empty() && std::equal(arguments.begin(), arguments.end(), lastBlock.begin(), lastBlock.end()))
        return ByteString{blockAccepted};
    const std::uint8_t status = storeBlock(block, data);
    if (status == blockAccepted)
        lastBlock.assign(arguments.begin(), arguments.end());
    return ByteString{status};
}

std::uint8_t Brick::storeBlock(int block, std::span<const std::uint8_t> data)
{
    if (downloadTarget == Target::None || (block != 0 && block != nextBlock))
        return blockOutOfSequence;
    const bool last = block == 0;
    ++nextBlock;

    if (downloadTarget == Target::Firmware) {
        FirmwareState& firmware = state.firmware;
        if (firmware.image.size() + data.size() > FirmwareState::capacity) {
            --nextBlock;
            return blockOutOfSequence;
        }
        firmware.image.insert(firmware.image.end(), data.begin(), data.end());
        if (!last)
            return blockAccepted;
        downloadTarget = Target::None;
        firmware.checksumMatched = firmware.imageChecksum() == firmware.checksum;
        return firmware.checksumMatched ? blockAccepted : firmwareChecksumError;
    }

    ProgramSlot& program = state.programs[static_cast<std::size_t>(state.slot)];
    const auto number = static_cast<std::size_t>(downloadNumber);
    ByteString& code = downloadTarget == Target::Task ? program.tasks[number] : program.subs[number];
    const std::size_t end = downloadOffset + data.size();
    if (end > code.size() || (last && end != code.size())) {
        --nextBlock;
        return blockOutOfSequence;
    }
    std::copy(data.begin(), data.end(), code.begin() + static_cast<std::ptrdiff_t>(downloadOffset));
    downloadOffset = end;
    if (last)
        downloadTarget = Target::None;
    return blockAccepted;
}

Brick::Reply Brick::stopAll(Arguments)
{
    state.runningTasks.fill(false);
    return ByteString();
}

Brick::Reply Brick::playSound(Arguments arguments)
{
    if (arguments[0] > 5)
        return std::nullopt;
    state.sounds.push_back(arguments[0]);
    return ByteString();
}

Brick::Reply Brick::setDatalogSize(Arguments arguments)
{
    DatalogState& datalog = state.datalog;
    DatalogState resized;
    resized.size = read16(arguments, 0);
    if (resized.areaBytes() > state.freeMemory() + datalog.areaBytes())
        return ByteString{1};
    datalog = resized;
    return ByteString{0};
}

Brick::Reply Brick::powerOff(Arguments)
{
    state.powered = false;
    state.runningTasks.fill(false);
    return std::nullopt;
}

Brick::Reply Brick::deleteFirmware(Arguments arguments)
{
    if (!matches(arguments, firmwareKey))
        return std::nullopt;
    // The firmware's memory goes with it: programs, datalog, variables.
    state.firmware = FirmwareState();
    state.firmware.present = false;
    state.firmware.unlocked = false;
    state.programs = {};
    state.datalog = {};
    state.variables = {};
    state.runningTasks.fill(false);
    downloadTarget = Target::None;
    return ByteString();
}

Brick::Reply Brick::startTask(Arguments arguments)
{
    if (arguments[0] >= BrickState::taskCount)
        return std::nullopt;
    if (!state.programs[static_cast<std::size_t>(state.slot)].tasks[arguments[0]].empty())
        state.runningTasks[arguments[0]] = true;
    return ByteString();
}

Brick::Reply Brick::stopTask(Arguments arguments)
{
    if (arguments[0] >= BrickState::taskCount)
        return std::nullopt;
    state.runningTasks[arguments[0]] = false;
    return ByteString();
}

Brick::Reply Brick::beginFirmware(Arguments arguments)
{
    if (state.firmware.present)
        return std::nullopt;
    FirmwareState& firmware = state.firmware;
    firmware.address = static_cast<std::uint16_t>(read16(arguments, 0));
    firmware.checksum = static_cast<std::uint16_t>(read16(arguments, 2));
    firmware.image.clear();
    firmware.checksumMatched = false;
    downloadTarget = Target::Firmware;
    nextBlock = 1;
    lastBlock.clear();
    return ByteString{0};
}

Brick::Reply Brick::selectProgram(Arguments arguments)
{
    if (arguments[0] >= BrickState::slots)
        return std::nullopt;
    state.slot = arguments[0];
    state.runningTasks.fill(false);
    return ByteString();
}

Brick::Reply Brick::uploadDatalog(Arguments arguments)
{
    const int first = read16(arguments, 0);
    const int count = read16(arguments, 2);
    if (first + count > std::max(state.datalog.size, 0) + 1)
        return std::nullopt;
    ByteString entries;
    for (int index = first; index < first + count; ++index) {
        const DatalogEntry entry = state.datalog.entry(index);
        entries.push_back(entry.type);
        const ByteString value = word16(static_cast<std::uint16_t>(entry.value));
        entries.insert(entries.end(), value.begin(), value.end());
    }
    return entries;
}

Brick::Reply Brick::unlockFirmware(Arguments arguments)
{
    FirmwareState& firmware = state.firmware;
    if (!matches(arguments, unlockKey))
        return std::nullopt;
    if (!firmware.present) {
        if (downloadTarget == Target::Firmware || !firmware.checksumMatched || !firmware.holdsSignature())
            return std::nullopt;
        firmware.present = true;
        firmware.unlocked = true;
    }
    return ByteString(std::begin(unlockAnswer), std::end(unlockAnswer) - 1);
}

Brick::Reply Brick::setPowerDownDelay(Arguments arguments)
{
    state.powerDownDelay = arguments[0];
    return ByteString();
}

Brick::Reply Brick::remoteCommand(Arguments arguments)
{
    const int word = read16(arguments, 0);
    state.remote.push_back(static_cast<std::uint16_t>(word));
    // The remote's motor buttons run an output while they are held.
    struct Buttons {
        int forward;
        int reverse;
    };
    constexpr Buttons buttons[] = {{0x0800, 0x4000}, {0x1000, 0x8000}, {0x2000, 0x0001}};
    for (std::size_t output = 0; output < state.outputs.size(); ++output) {
        OutputState& driven = state.outputs[output];
        const bool forward = word & buttons[output].forward;
        const bool reverse = word & buttons[output].reverse;
        if (forward || reverse) {
            driven.forward = forward;
            driven.mode = OutputMode::On;
            remoteDriven |= 1 << output;
        } else if (remoteDriven & 1 << output) {
            driven.mode = OutputMode::Off;
            remoteDriven &= ~(1 << output);
        }
    }
    if (word & 0x0040) {
        state.runningTasks.fill(false);
        forOutputs(7, [](OutputState& output) { output.mode = OutputMode::Off; });
    }
    return std::nullopt;
}

Brick::Reply Brick::message(Arguments arguments)
{
    state.messages.push_back(arguments[0]);
    state.lastMessage = arguments[0];
    return std::nullopt;
}
