#pragma once

#include "protocol/Datalog.h"
#include "protocol/Firmware.h"
#include "protocol/Outputs.h"
#include "protocol/ProgramSlots.h"
#include "protocol/Sensors.h"
#include "sim/Events.h"
#include "sim/LineMode.h"
#include "sim/Task.h"
#include "sim/h8300/H8Cpu.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Everything the virtual brick remembers, as plain values: Brick keeps one of
// these behind its mutex and hands out copies (Brick::snapshot()).
//
// Numbering is the brick's own, as on the wire: program slots 0 to 4, tasks
// 0 to 9, subroutines 0 to 7, outputs 0 to 2 (A, B, C), sensors 0 to 2.

using ByteString = std::vector<std::uint8_t>;

// Program memory: the 6 KB that follow the firmware's 19456 bytes at 0x8000.
// Subroutines, tasks and the datalog are packed into it in the order of the
// memory-map words (see BrickState::memoryMap).
struct ProgramMemory {
    static constexpr std::uint16_t start = 0xCC00;
    static constexpr std::uint16_t size = 0x1800;
    static constexpr std::uint16_t end = start + size;
};

// One output as the program sets it, and the newer firmware's global control
// over it: global off or float overrides the output's mode, a global reverse
// turns its direction round, and the maximum power caps its power.
struct OutputState {
    int power = 7; // 0 to 7
    bool forward = true;
    OutputMode mode = OutputMode::Float;
    OutputMode globalMode = OutputMode::On;
    bool globalForward = true;
    int maxPower = 7;

    // What the motor does.
    int effectivePower() const;
    bool effectiveForward() const { return forward == globalForward; }
    OutputMode effectiveMode() const { return globalMode == OutputMode::On ? mode : globalMode; }
    // Bits 0-2 power, bit 3 forward, bits 6-7 the mode (2 on, 1 off, 0
    // float), as the motor runs.
    std::uint8_t statusByte() const;
    // The same for the global control: maximum power, global direction and
    // global mode.
    std::uint8_t globalStatusByte() const;
};

// One sensor input. The value follows the raw reading by the firmware's
// conversion for the mode:
//   raw          the raw reading, 0 to 1023
//   boolean      slope 0: 1 below 460, 0 above 562, unchanged in between;
//                slope s > 0: 1 after a fall of more than s since the last
//                reading, 0 after a rise of more than s, else unchanged
//   transition   the number of changes of that boolean state
//   period       the number of its falls from 1 back to 0
//   percent      146 - raw / 7, at most 100
//   celsius      tenths of a degree: (785 - raw) * 10 / 8, within -200..700
//   fahrenheit   tenths of a degree: celsius * 9 / 5 + 320
//   angle        sixteenths of a turn: the raw range is cut into four phases
//                (below 256, 512, 768, the rest); a step to the next phase
//                counts +1, to the previous one -1
// Setting the mode (0x42) clears the counts and the angle. Setting the type
// sets the type's default mode (defaultMode).
struct SensorState {
    std::uint8_t type = 0;
    std::uint8_t mode = rawMode; // 0 to 7
    std::uint8_t slope = 0;      // 0 to 31
    int raw = 1023;
    bool boolean = false;
    int count = 0; // transitions, periods or the angle
    int value = 1023;

    std::uint8_t modeByte() const { return static_cast<std::uint8_t>(sensorModeByte(mode, slope)); }
    void setModeByte(std::uint8_t byte);
    void setType(std::uint8_t newType);
    void setRaw(int newRaw);
    // Clears the counts and the angle.
    void clear();

private:
    int phase() const;
    void updateValue();
};

struct DatalogEntry {
    std::uint8_t type = 0;
    std::int16_t value = 0;
};

// The datalog: `size` data entries of room (0 = no datalog) after the
// header, entry 0.
struct DatalogState {
    int size = 0;
    std::vector<DatalogEntry> entries; // entries 1, 2, … in use

    int used() const { return static_cast<int>(entries.size()) + 1; }
    // Appends an entry; false when the datalog is full or there is none.
    bool append(DatalogEntry entry);
    // Entry `index`, counting entry 0; zeros past the entries in use.
    DatalogEntry entry(int index) const;
    int areaBytes() const { return size > 0 ? datalogEntryBytes * (size + 1) : 0; }
    int usedBytes() const { return size > 0 ? datalogEntryBytes * used() : 0; }
};

struct ProgramSlot {
    std::array<ByteString, tasksPerSlot> tasks;
    std::array<ByteString, subsPerSlot> subs;
};

struct FirmwareState {
    // The version the firmware announces: 3.9.
    static constexpr int versionMajor = 3;
    static constexpr int versionMinor = 9;

    bool present = true;
    bool unlocked = true;
    std::uint16_t address = 0;  // announced by begin firmware download
    std::uint16_t checksum = 0; // announced by begin firmware download
    ByteString image;           // the blocks received, in order
    bool checksumMatched = false;
    // How the ROM's call of the image at its last unlock ended: returned
    // (still no firmware), or not (a firmware).
    std::optional<h8300::CallOutcome> call;

    // Low 16 bits of the sum of the image's first firmwareChecksumLength bytes.
    std::uint16_t imageChecksum() const;
    bool holdsSignature() const;
};

// The watch: minutes since midnight, running on from when it was set.
struct WatchState {
    int minutes = 0;
    std::int64_t setAt = 0; // brick time, milliseconds

    int minutesAt(std::int64_t now) const;
};

// The four timers, read in tenths (or, by the newer firmware, hundredths)
// of a second since each was last cleared, modulo 32768.
struct TimerState {
    static constexpr int tenths = 100;    // milliseconds a tick of a timer
    static constexpr int hundredths = 10; // milliseconds a tick of a fast timer

    std::array<std::int64_t, 4> clearedAt{}; // brick time, milliseconds

    int read(int timer, std::int64_t now, int resolution) const;
    void set(int timer, int value, std::int64_t now, int resolution);
};

// Something the brick played: a sound (0 to 5) or a tone.
struct Played {
    int sound = -1;     // -1 for a tone
    int frequency = 0;  // hertz
    int duration = 0;   // hundredths of a second
};

// Where a task met an opcode the interpreter does not know.
struct UnknownOpcode {
    int task = 0;
    CodePosition at;
    std::uint8_t opcode = 0;
};

struct UserDisplay {
    int source = 0;
    int argument = 0;
    int decimals = 0;
};

struct BrickState {
    static constexpr int slots = programSlots;
    static constexpr int taskCount = tasksPerSlot;
    static constexpr int subCount = subsPerSlot;
    static constexpr int variableCount = globalVariables;
    static constexpr int counterCount = 3;
    static constexpr int eventCount = 16;
    static constexpr int serialRegisters = 22;
    // How many sounds and sent messages the state keeps, the latest ones.
    static constexpr std::size_t keptOutputs = 100;

    bool powered = true;
    bool silent = false; // hears and acts, but its replies go nowhere
    LineRegisters line;  // the ROM's line, until power off
    int battery = 9000;  // millivolts
    int slot = 0;        // current program slot, 0 to 4
    std::int64_t time = 0; // brick time, milliseconds, when the copy was made
    std::array<TaskState, taskCount> tasks;
    int watch = 0; // minutes since midnight, as the watch shows them at `time`
    WatchState watchSetting;
    TimerState timers;
    std::array<std::int16_t, counterCount> counters{};
    std::array<EventState, eventCount> events;
    std::uint16_t pendingEvents = 0; // triggered by a program or the host
    bool messageArrived = false;     // for message events
    std::array<OutputState, 3> outputs;
    std::array<SensorState, 3> sensors;
    std::array<std::int16_t, variableCount> variables{};
    DatalogState datalog;
    std::array<ProgramSlot, slots> programs;
    FirmwareState firmware;
    int transmitterRange = 0; // 0 short, 1 long
    int powerDownDelay = 15;  // minutes
    std::uint8_t lastMessage = 0;
    int display = 0; // 0 watch, 1-3 sensor, 4-6 output, 7 the user display
    UserDisplay userDisplay;
    std::array<std::int16_t, serialRegisters> serial{};
    bool muted = false;

    // What came in over the infrared, in order.
    std::vector<std::uint8_t> messages;
    std::vector<std::uint16_t> remote;
    // What the brick played and the messages it sent, the latest keptOutputs.
    std::vector<Played> played;
    std::vector<std::uint8_t> sent;
    std::optional<UnknownOpcode> unknownOpcode;

    bool running() const;
    // The numbers of the running tasks.
    std::vector<int> runningTasks() const;
    void stopAllTasks();
    // Off until power on: the tasks stop.
    void powerOff();
    // Keeps what was played (nothing while muted) and what was sent.
    void play(const Played& sound);
    void send(std::uint8_t message);
    // Sets the datalog's size, emptying it; false when it does not fit.
    bool setDatalogSize(int size);
    // The 94 words of the memory map: word k is the first address of region
    // k, whose end is word k + 1. Regions, in memory order: subroutines 0-7 of
    // slot 0, …, of slot 4 (words 0-39); tasks 0-9 of slot 0, …, of slot 4
    // (40-89); the datalog's used part (90) and free part (91); free memory
    // (92), which ends at ProgramMemory::end (93).
    std::array<std::uint16_t, memoryMapWords> memoryMap() const;
    // Program memory taken by code and the datalog area.
    int usedMemory() const;
    int freeMemory() const { return ProgramMemory::size - usedMemory(); }
};
