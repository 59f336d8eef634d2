#pragma once

#include "sim/BrickState.h"
#include "sim/Sources.h"

#include <cstdint>
#include <functional>
#include <span>

// The instructions that act on the brick rather than on a task's course:
// variables, outputs, sensors, sounds, the display, messages, the datalog,
// the watch and timers, counters and the events' settings. A program runs
// them; the host may send each as a command too. By opcode:
//   0x02 tone of a variable's frequency (variable, duration)
//   0x03 trigger events (source, argument: the event mask)
//   0x04 calibrate event (event, upper, lower, hysteresis): limits around
//        the event source's value now
//   0x05 set a source (destination source, argument, source, argument)
//   0x06 clear all events
//   0x13 power (outputs, source, argument), 0xA3 maximum power
//   0x14, 0x24, 0x34, 0x44, 0x54, 0x64, 0x74, 0x84, 0x94 set, add,
//        subtract, divide, multiply, sign, absolute value, and, or
//        (variable, source, argument)
//   0x21 on/off/float, 0x67 global on/off/float (outputs | bits 6-7)
//   0xE1 direction, 0x77 global direction (outputs | bits 6-7)
//   0x22 watch (hours, minutes), 0xA1 clear timer (timer)
//   0x23 tone (frequency, duration), 0x51 sound (0 to 5), 0x80 clear
//        sounds, 0xD0 mute, 0xE0 unmute
//   0x31 transmitter range, 0xB1 power-down delay (minutes)
//   0x32 sensor type, 0x42 sensor mode byte, 0xD1 clear sensor
//   0x33 display (source, argument), 0xE5 user display (0, decimals,
//        source, argument)
//   0x52 datalog size, 0x62 datalog next (source, argument)
//   0x60 power off
//   0x90 clear message, 0xB2 send message (source, argument)
//   0x93 set event (event, source, type)
//   0x97, 0xA7, 0xB7 increment, decrement, clear counter (counter)
//   0xC2 send serial data (first, count): accepted, nothing goes out
// Durations are in hundredths of a second. An instruction whose arguments
// are out of range has no effect.
class Actions {
public:
    using Arguments = std::span<const std::uint8_t>;
    // Called with each message a program sends, to go out over the infrared
    // and be kept among those sent.
    using Transmit = std::function<void(std::uint8_t message)>;

    Actions(BrickState& state, Sources& sources, Transmit transmit);

    // The instruction's length in bytes, the opcode included; 0 when the
    // opcode is none of these.
    static int lengthOf(std::uint8_t opcode);
    // Runs the instruction; false when its arguments are out of range.
    bool run(std::uint8_t opcode, Arguments arguments, const Sources::Context& context);

private:
    struct Instruction;
    static const Instruction* find(std::uint8_t opcode);

    bool setVariable(std::uint8_t opcode, Arguments arguments, const Sources::Context& context);
    bool setSource(std::uint8_t, Arguments arguments, const Sources::Context& context);
    bool setPower(std::uint8_t opcode, Arguments arguments, const Sources::Context& context);
    bool setOutputMode(std::uint8_t opcode, Arguments arguments, const Sources::Context&);
    bool setDirection(std::uint8_t opcode, Arguments arguments, const Sources::Context&);
    bool setSensorType(std::uint8_t, Arguments arguments, const Sources::Context&);
    bool setSensorMode(std::uint8_t, Arguments arguments, const Sources::Context&);
    bool clearSensor(std::uint8_t, Arguments arguments, const Sources::Context&);
    bool playSound(std::uint8_t, Arguments arguments, const Sources::Context&);
    bool playTone(std::uint8_t opcode, Arguments arguments, const Sources::Context& context);
    bool setSounds(std::uint8_t opcode, Arguments, const Sources::Context&);
    bool setDisplay(std::uint8_t, Arguments arguments, const Sources::Context& context);
    bool setUserDisplay(std::uint8_t, Arguments arguments, const Sources::Context&);
    bool sendMessage(std::uint8_t, Arguments arguments, const Sources::Context& context);
    bool clearMessage(std::uint8_t, Arguments, const Sources::Context&);
    bool setDatalogSize(std::uint8_t, Arguments arguments, const Sources::Context&);
    bool logNext(std::uint8_t, Arguments arguments, const Sources::Context& context);
    bool setWatch(std::uint8_t, Arguments arguments, const Sources::Context& context);
    bool clearTimer(std::uint8_t, Arguments arguments, const Sources::Context& context);
    bool setRange(std::uint8_t, Arguments arguments, const Sources::Context&);
    bool setPowerDownDelay(std::uint8_t, Arguments arguments, const Sources::Context&);
    bool powerOff(std::uint8_t, Arguments, const Sources::Context&);
    bool changeCounter(std::uint8_t opcode, Arguments arguments, const Sources::Context&);
    bool setEvent(std::uint8_t, Arguments arguments, const Sources::Context&);
    bool clearEvents(std::uint8_t, Arguments, const Sources::Context&);
    bool triggerEvents(std::uint8_t, Arguments arguments, const Sources::Context& context);
    bool calibrateEvent(std::uint8_t, Arguments arguments, const Sources::Context& context);
    bool sendSerial(std::uint8_t, Arguments, const Sources::Context&);

    template <typename Change> void forOutputs(std::uint8_t mask, Change change);

    BrickState& state;
    Sources& sources;
    Transmit transmit;
};
