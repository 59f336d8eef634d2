#include "sim/Brick.h"

#include "sim/ImageCall.h"

#include "link/Framing.h"
#include "protocol/Firmware.h"
#include "protocol/Opcodes.h"
#include "protocol/RemoteControl.h"
#include "protocol/Words.h"

#include <algorithm>
#include <iterator>
#include <utility>

struct Brick::Command {
    std::uint8_t opcode; // toggle bit clear
    bool inRom;          // answered by the boot ROM as well
    Reply (Brick::*run)(Arguments);
};

namespace {

// The longest pause within a packet: bytes follow each other at once, and a
// host waits longer than this for a reply before it tries again.
constexpr std::chrono::milliseconds packetGap{100};

// Sent by the host with the toggle bit always clear: each one acts.
bool actsEveryTime(std::uint8_t opcode)
{
    switch (withoutToggle(opcode)) {
    case Opcode::powerOff:
    case Opcode::deleteFirmware:
    case Opcode::remoteCommand:
    case Opcode::message:
        return true;
    default:
        return false;
    }
}

bool matches(std::span<const std::uint8_t> arguments, std::initializer_list<int> key)
{
    return std::equal(arguments.begin(), arguments.end(), key.begin(), key.end());
}

ByteString word16(int value)
{
    return {lowByte(value), highByte(value)};
}

} // namespace

const Brick::Command* Brick::lookUp(std::uint8_t opcode)
{
    static constexpr Command commands[] = {
        {Opcode::alive, true, &Brick::alive},
        {Opcode::getValue, false, &Brick::getValue},
        {Opcode::getVersions, true, &Brick::getVersions},
        {Opcode::memoryMap, false, &Brick::memoryMap},
        {Opcode::beginTask, false, &Brick::beginTask},
        {Opcode::battery, true, &Brick::battery},
        {Opcode::beginSub, false, &Brick::beginSub},
        {Opcode::deleteTasks, false, &Brick::deleteTasks},
        {Opcode::transferData, true, &Brick::transferData},
        {Opcode::setDatalogSize, false, &Brick::setDatalogSize},
        {Opcode::powerOff, true, &Brick::powerOff},
        {Opcode::deleteFirmware, true, &Brick::deleteFirmware},
        {Opcode::deleteSubs, false, &Brick::deleteSubs},
        {Opcode::beginFirmware, true, &Brick::beginFirmware},
        {Opcode::uploadDatalog, false, &Brick::uploadDatalog},
        {Opcode::unlockFirmware, true, &Brick::unlockFirmware},
        {Opcode::remoteCommand, false, &Brick::remoteCommand},
        {Opcode::message, false, &Brick::message},
    };
    const std::uint8_t key = withoutToggle(opcode);
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

void Brick::receive(std::span<const std::uint8_t> bytes, const HostSettings& host,
                    std::chrono::steady_clock::time_point heardAt)
{
    std::lock_guard lock(mutex);
    // From the end of the bytes before to the start of these.
    const auto pause = heardAt - state.line.mode().settings.byteTime() * static_cast<long>(bytes.size()) - lastHeard;
    if (pause > packetGap)
        decoder.abandonPacket();
    lastHeard = heardAt;
    for (std::uint8_t byte : bytes) {
        if (!state.powered)
            return;
        const LineMode line = state.line.mode();
        decoder.setComplements(line.complements);
        const std::optional<std::uint8_t> heard = noise.pass(host.agreeWith(line.settings) ? byte : garbled(byte));
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

LineMode Brick::lineMode() const
{
    std::lock_guard lock(mutex);
    return state.line.mode();
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
    state.line = LineRegisters();
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
    if (std::exchange(imageCallDue, false))
        callUnlockedImage();
}

void Brick::callUnlockedImage()
{
    FirmwareState& firmware = state.firmware;
    firmware.call = callImage(firmware, state.line);
    if (firmware.call->kind == h8300::CallOutcome::Kind::returned)
        return;
    // A firmware: it sets the line up as the ROM did at power-on.
    firmware.present = true;
    firmware.unlocked = true;
    state.line = LineRegisters();
}

Brick::Reply Brick::act(std::uint8_t opcode, const ByteString& command)
{
    const Command* known = lookUp(opcode);
    if (known)
        return state.firmware.present || known->inRom ? (this->*known->run)(Arguments(command).subspan(1)) : std::nullopt;
    ByteString instruction = command;
    instruction.front() = withoutToggle(opcode);
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
    const LineMode line = state.line.mode();
    ByteString sent;
    for (std::uint8_t byte : frame(values, line.complements))
        if (std::optional<std::uint8_t> passed = noise.pass(byte))
            sent.push_back(*passed);
    if (myTransmitter && !sent.empty())
        myTransmitter(sent, line.settings);
}

void Brick::send(std::uint8_t message)
{
    state.send(message);
    emit({Opcode::message, message});
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
        bytes.push_back(highByte(word));
        bytes.push_back(lowByte(word));
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
    const int number = littleEndian16(arguments, 1);
    const int length = littleEndian16(arguments, 3);
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
    const int block = littleEndian16(arguments, 0);
    const std::size_t length = littleEndian16(arguments, 2);
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
        if (firmware.image.size() + data.size() > firmwareCapacity) {
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
    return ByteString{static_cast<std::uint8_t>(state.setDatalogSize(littleEndian16(arguments, 0)) ? 0 : 1)};
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
    firmware.address = littleEndian16(arguments, 0);
    firmware.checksum = littleEndian16(arguments, 2);
    firmware.image.clear();
    firmware.checksumMatched = false;
    downloadTarget = Target::Firmware;
    nextBlock = 1;
    lastBlock.clear();
    return ByteString{0};
}

Brick::Reply Brick::uploadDatalog(Arguments arguments)
{
    const int first = littleEndian16(arguments, 0);
    const int count = littleEndian16(arguments, 2);
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
        // A host may end the download without a block 0: the unlock ends it.
        if (downloadTarget == Target::Firmware) {
            downloadTarget = Target::None;
            firmware.checksumMatched = firmware.imageChecksum() == firmware.checksum;
        }
        if (!firmware.checksumMatched || !firmware.holdsSignature())
            return std::nullopt;
        imageCallDue = true;
    }
    return ByteString(unlockAnswer.begin(), unlockAnswer.end());
}

Brick::Reply Brick::remoteCommand(Arguments arguments)
{
    const int word = littleEndian16(arguments, 0);
    state.remote.push_back(static_cast<std::uint16_t>(word));
    driveOutputs(word);
    for (int message = 1; message <= 3; ++message)
        if (word & remoteMessage(message))
            hear(static_cast<std::uint8_t>(message));
    // A program button selects its program and runs it; stop stops it and
    // the outputs.
    for (int program = 1; program <= BrickState::slots; ++program) {
        if (word & remoteProgram(program)) {
            interpreter.direct(ByteString{Opcode::selectProgram, static_cast<std::uint8_t>(program - 1)}, clock.now());
            interpreter.direct(ByteString{Opcode::startTask, 0}, clock.now());
        }
    }
    if (word & remoteStop) {
        state.stopAllTasks();
        for (OutputState& output : state.outputs)
            output.mode = OutputMode::Off;
    }
    return std::nullopt;
}

void Brick::driveOutputs(int word)
{
    for (std::size_t output = 0; output < state.outputs.size(); ++output) {
        OutputState& driven = state.outputs[output];
        const bool forward = word & motorButtons[output].forward;
        const bool reverse = word & motorButtons[output].reverse;
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
