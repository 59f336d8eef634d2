#include "sim/Brick.h"

#include "link/Framing.h"

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
        {0x15, true, &Brick::getVersions},
        {0x20, false, &Brick::memoryMap},
        {0x25, false, &Brick::beginTask},
        {0x30, true, &Brick::battery},
        {0x35, false, &Brick::beginSub},
        {0x40, false, &Brick::deleteTasks},
        {0x45, true, &Brick::transferData},
        {0x52, false, &Brick::setDatalogSize},
        {0x60, true, &Brick::powerOff},
        {0x65, true, &Brick::deleteFirmware},
        {0x70, false, &Brick::deleteSubs},
        {0x75, true, &Brick::beginFirmware},
        {0xA4, false, &Brick::uploadDatalog},
        {0xA5, true, &Brick::unlockFirmware},
        {0xD2, false, &Brick::remoteCommand},
        {0xF7, false, &Brick::message},
    };
    const std::uint8_t key = opcode & ~toggleBit;
    const auto found = std::find_if(std::begin(commands), std::end(commands),
        [key](const Command& command) { return command.opcode == key; });
    return found == std::end(commands) ? nullptr : found;
}

Brick::Brick(bool firmwarePresent, BrickClock::Kind clockKind)
    : clock(clockKind)
    , interpreter(state, [this](std::uint8_t message) { send(message); })
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
    wakeIfRunning();
}

void Brick::setTransmitter(Transmitter transmitter)
{
    std::lock_guard lock(mutex);
    myTransmitter = std::move(transmitter);
}

void Brick::setWakeUp(WakeUp wakeUp)
{
    std::lock_guard lock(mutex);
    myWakeUp = std::move(wakeUp);
    wakeIfRunning();
}

void Brick::wakeIfRunning()
{
    if (myWakeUp && state.running())
        myWakeUp();
}

bool Brick::runDue()
{
    // Short runs, so that the host's commands get the lock in between.
    constexpr int ticksARun = 20;
    for (;;) {
        std::lock_guard lock(mutex);
        if (interpreter.runUntil(clock.now(), ticksARun))
            return state.running();
    }
}

bool Brick::advance(std::int64_t milliseconds)
{
    if (clockKind() != BrickClock::Kind::Manual)
        return false;
    for (std::int64_t elapsed = 0; elapsed < milliseconds; ++elapsed) {
        std::lock_guard lock(mutex);
        clock.advance(1);
        interpreter.runUntil(clock.now(), 1);
    }
    return true;
}

BrickClock::Kind Brick::clockKind() const
{
    std::lock_guard lock(mutex);
    return clock.kind();
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
    copy.time = clock.now();
    copy.watch = state.watchSetting.minutesAt(copy.time);
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
    send(value);
    return true;
}

bool Brick::addDatalogEntry(std::uint8_t type, std::int16_t value)
{
    std::lock_guard lock(mutex);
    return state.datalog.append({type, value});
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
    for (int timer = 0; timer < 4; ++timer)
        state.timers.set(timer, 0, clock.now(), TimerState::tenths);
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

    if (repeat && !actsEveryTime(opcode)) {
        if (previousReply)
            reply(*previousReply);
        return;
    }
    const Reply data = act(opcode, command);
    previousReply.reset();
    if (!data)
        return;
    ByteString values = {complement(opcode)};
    values.insert(values.end(), data->begin(), data->end());
    previousReply = values;
    reply(values);
}

Brick::Reply Brick::act(std::uint8_t opcode, const ByteString& command)
{
    const Command* known = lookUp(opcode);
    if (known)
        return state.firmware.present || known->inRom ? (this->*known->run)(Arguments(command).subspan(1)) : std::nullopt;
    ByteString instruction = command;
    instruction.front() = opcode & ~toggleBit;
    if (!state.firmware.present || !interpreter.direct(instruction, clock.now()))
        return std::nullopt;
    return ByteString();
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

void Brick::send(std::uint8_t message)
{
    state.send(message);
    emit({0xF7, message});
}

Brick::Reply Brick::alive(Arguments)
{
    return ByteString();
}

Brick::Reply Brick::getValue(Arguments arguments)
{
    const std::optional<int> value = interpreter.valueOf(arguments[0], arguments[1], clock.now());
    if (!value)
        return std::nullopt;
    return word16(*value);
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
    state.stopAllTasks();
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

Brick::Reply Brick::deleteTasks(Arguments)
{
    for (ByteString& task : state.programs[static_cast<std::size_t>(state.slot)].tasks)
        task.clear();
    state.stopAllTasks();
    return ByteString();
}

Brick::Reply Brick::deleteSubs(Arguments)
{
    for (ByteString& sub : state.programs[static_cast<std::size_t>(state.slot)].subs)
        sub.clear();
    state.stopAllTasks();
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

Brick::Reply Brick::setDatalogSize(Arguments arguments)
{
    return ByteString{static_cast<std::uint8_t>(state.setDatalogSize(read16(arguments, 0)) ? 0 : 1)};
}

Brick::Reply Brick::powerOff(Arguments)
{
    state.powerOff();
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
    state.stopAllTasks();
    downloadTarget = Target::None;
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

Brick::Reply Brick::remoteCommand(Arguments arguments)
{
    const int word = read16(arguments, 0);
    state.remote.push_back(static_cast<std::uint16_t>(word));
    driveOutputs(word);
    // Message buttons 1 to 3 (0x0100, 0x0200, 0x0400).
    for (int message = 1; message <= 3; ++message)
        if (word & 0x0080 << message)
            hear(static_cast<std::uint8_t>(message));
    // Program buttons 1 to 5 (0x0002 to 0x0020) select their program and
    // run it; stop (0x0040) stops it and the outputs.
    for (int program = 1; program <= BrickState::slots; ++program) {
        if (word & 1 << program) {
            interpreter.direct(ByteString{0x91, static_cast<std::uint8_t>(program - 1)}, clock.now());
            interpreter.direct(ByteString{0x71, 0}, clock.now());
        }
    }
    if (word & 0x0040) {
        state.stopAllTasks();
        for (OutputState& output : state.outputs)
            output.mode = OutputMode::Off;
    }
    return std::nullopt;
}

void Brick::driveOutputs(int word)
{
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
}

Brick::Reply Brick::message(Arguments arguments)
{
    state.messages.push_back(arguments[0]);
    hear(arguments[0]);
    return std::nullopt;
}

void Brick::hear(std::uint8_t message)
{
    state.lastMessage = message;
    state.messageArrived = true;
}
