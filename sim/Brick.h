#pragma once

#include "protocol/TransferStatus.h"
#include "sim/BrickClock.h"
#include "sim/BrickState.h"
#include "sim/CommandDecoder.h"
#include "sim/InfraredNoise.h"
#include "sim/Interpreter.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

// The virtual RCX brick: its state and how it answers the host's commands,
// apart from any transport. Bytes heard over the infrared go in through
// receive(); what the brick sends goes out through the transmitter. Programs
// run in the Interpreter, by the brick's clock: a wall clock's brick runs
// them when runDue() is called (a Scheduler does it), a manual clock's when
// advance() moves time. Safe to use from several threads: one mutex guards
// everything.
//
// Commands (opcode with the toggle bit clear; "reply" is the data after the
// reply opcode, which is the complement of the opcode byte as received):
//   0x10 alive                    reply none
//   0x12 get value (source, arg)  2 bytes; the sources of protocol/Sources.h,
//        outside any task; unknown sources and arguments out of range are
//        ignored
//   0x15 versions (firmwareKey)   8 bytes: ROM 3.1 and firmware 3.9 as
//        16-bit words high byte first; firmware words 0 while it is absent
//   0x20 memory map               188 bytes (BrickState::memoryMap)
//   0x25/0x35 begin task/subroutine download (0, number, 0, length lo, hi)
//        status: 0 ready, 1 the code does not fit, 2 no such number; the
//        running program stops
//   0x30 battery                  millivolts, 2 bytes
//   0x40/0x70 delete all tasks/subroutines of the slot: the program stops
//   0x45 transfer data            status (see TransferStatus)
//   0x52 datalog size (lo, hi)    status: 0 done, 1 does not fit
//   0x60 power off                no reply: the brick is off
//   0x65 delete firmware (firmwareKey)  reply none, from the ROM
//   0x75 begin firmware download (address lo, hi, checksum lo, hi, 0)
//        status 0 (only while no firmware is present)
//   0xA4 upload datalog (first lo, hi, count lo, hi)  3 bytes an entry
//   0xA5 unlock firmware (unlockKey)  the unlockAnswer once a whole image
//        with the right checksum and the signature is in; otherwise silent.
//        Once the answer is out, the ROM calls the image (callImage): code
//        that returns leaves the brick without firmware, in the line mode
//        it set; any other image is a firmware, which runs the line as
//        the ROM did at power-on
//   0xD2 remote command (a RemoteWord, lo, hi), 0xF7 message: acted on, no
//        reply
//   any other instruction a host may send (Interpreter::direct): acted on
//        outside any task, reply none
//
// Without firmware only the boot ROM answers: 0x10, 0x15, 0x30, 0x45, 0x60,
// 0x65, 0x75 and 0xA5. Everything else, arguments out of range, wrong keys
// and packets that do not frame are ignored without a reply.
//
// The line: the brick hears and sends in the framing of its line mode
// (BrickState::line), with or without complements; bytes from a host whose
// settings disagree with the mode's are garbled, and so are the brick's
// bytes on their way to it (the transport compares them). Power on brings
// back the ROM's line.
//
// The toggle bit: a command whose opcode byte equals the previous command's
// byte exactly is a repeat: the brick does not act again and sends its last
// reply again. The commands the host always sends with the bit clear (0x60,
// 0x65, 0xD2, 0xF7) act every time. Every decoded command becomes "the
// previous" one; power on forgets it.
class Brick {
public:
    // refuseBlocks' refusals answer blockChecksumError.
    using enum TransferStatus;

    static constexpr std::uint8_t romVersion[4] = {0x00, 0x03, 0x00, 0x01};
    static constexpr std::uint8_t firmwareVersion[4] = {
        0x00, FirmwareState::versionMajor, 0x00, FirmwareState::versionMinor};

    // Called, under the brick's lock, with each packet the brick sends and
    // the line's settings it goes out at; it must not call back into the
    // brick. One at a time: BrickPort and PtyTower each set theirs for as
    // long as they live.
    using Transmitter = std::function<void(const ByteString& bytes, const LineSettings& line)>;

    // Called, under the brick's lock, when a task starts: a Scheduler sets
    // it for as long as it lives. It must not call back into the brick.
    using WakeUp = std::function<void()>;

    explicit Brick(bool firmwarePresent = true, BrickClock::Kind clock = BrickClock::Kind::Wall);

    // Bytes the host sends over the infrared at `host`'s settings (by
    // default taken to agree with the line); the noise, when set, strikes
    // them here (and the brick's own bytes on their way out). `heardAt` is
    // when they finished crossing: a pause of the line before they began
    // gives up a packet begun.
    void receive(std::span<const std::uint8_t> bytes, const HostSettings& host = {},
                 std::chrono::steady_clock::time_point heardAt = std::chrono::steady_clock::now());
    void setTransmitter(Transmitter transmitter);
    LineMode lineMode() const;
    void setWakeUp(WakeUp wakeUp);

    // A wall clock's brick runs its program up to now; true while a program
    // runs. The lock is let go between short runs, so the host's commands
    // are answered meanwhile.
    bool runDue();
    // A manual clock's brick moves its time on by `milliseconds`, running
    // everything that falls due, one millisecond at a time; false (and
    // nothing moves) with the wall clock.
    bool advance(std::int64_t milliseconds);
    BrickClock::Kind clockKind() const;

    // Every command decoded so far, in order: the opcode byte as received and
    // its argument bytes (for 0x45: block lo/hi, length lo/hi, data, data
    // checksum).
    std::vector<ByteString> history() const;
    void clearHistory();

    // A copy of the whole state, its time and the watch as they read now.
    BrickState snapshot() const;

    // What the control commands do, for tests in the same process.
    // Sensor 0 to 2 (others are ignored) reads `raw`, limited to 0..1023.
    void setSensorRaw(int sensor, int raw);
    void setBattery(int millivolts);
    // Sends message `value` (and keeps it among those sent); false while
    // the brick is off.
    bool sendMessage(std::uint8_t value);
    // Appends a datalog entry; false when there is no room.
    bool addDatalogEntry(std::uint8_t type, std::int16_t value);
    void powerOn();
    void setSilent(bool silent);
    void setNoise(double probability);
    void setNoise(double probability, std::uint32_t seed);
    void refuseBlocks(int count);
    double noiseProbability() const;

private:
    using Reply = std::optional<ByteString>;
    using Arguments = std::span<const std::uint8_t>;
    struct Command;

    static const Command* lookUp(std::uint8_t opcode);

    void execute(const ByteString& command);
    Reply act(std::uint8_t opcode, const ByteString& command);
    // Sends a reply, unless the brick is silent.
    void reply(const ByteString& values);
    // Frames values and sends them through the noise to the transmitter.
    void emit(const ByteString& values);
    // Sends a message packet and keeps the message among those sent.
    void send(std::uint8_t message);
    void wakeIfRunning();
    // The ROM calls the image just unlocked.
    void callUnlockedImage();

    Reply alive(Arguments);
    Reply getValue(Arguments arguments);
    Reply getVersions(Arguments arguments);
    Reply memoryMap(Arguments);
    Reply beginTask(Arguments arguments);
    Reply beginSub(Arguments arguments);
    Reply battery(Arguments);
    Reply deleteTasks(Arguments);
    Reply transferData(Arguments arguments);
    Reply setDatalogSize(Arguments arguments);
    Reply powerOff(Arguments);
    Reply deleteFirmware(Arguments arguments);
    Reply deleteSubs(Arguments);
    Reply beginFirmware(Arguments arguments);
    Reply uploadDatalog(Arguments arguments);
    Reply unlockFirmware(Arguments arguments);
    Reply remoteCommand(Arguments arguments);
    Reply message(Arguments arguments);

    Reply beginCode(bool task, Arguments arguments);
    std::uint8_t storeBlock(int block, std::span<const std::uint8_t> data);
    void driveOutputs(int remoteWord);
    // A message arrives: the last message, and a message event.
    void hear(std::uint8_t message);

    mutable std::mutex mutex;
    BrickState state;
    BrickClock clock;
    Interpreter interpreter;
    CommandDecoder decoder;
    std::chrono::steady_clock::time_point lastHeard;
    InfraredNoise noise;
    Transmitter myTransmitter;
    WakeUp myWakeUp;
    std::vector<ByteString> received;

    // The toggle rule: the previous command's opcode byte and its reply.
    std::optional<std::uint8_t> previousOpcode;
    std::optional<ByteString> previousReply;

    // The download in progress: which code or the firmware, and where the
    // next block goes.
    enum class Target { None, Task, Sub, Firmware };
    Target downloadTarget = Target::None;
    int downloadNumber = 0;
    std::size_t downloadOffset = 0;
    int nextBlock = 1;
    // The arguments of the last block accepted: the same block again (its
    // status was lost) is acknowledged without being stored twice.
    ByteString lastBlock;
    int blocksToRefuse = 0;
    // An unlock was answered: the image runs once the answer is out.
    bool imageCallDue = false;
    // Outputs a remote button runs; its release stops them.
    int remoteDriven = 0;
};
