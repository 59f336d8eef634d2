#pragma once

#include <cstdint>

// The motor outputs A, B and C are named in commands by a mask: A = 1,
// B = 2, C = 4.
constexpr int allOutputs = 7;

// What an output does: the code of the on/off/float commands (0x21, 0x67)
// and of the status byte.
enum class OutputMode : std::uint8_t { Float = 0, Off = 1, On = 2 };

// The code of the direction commands (0xE1, 0x77): flip turns the direction
// round.
enum class OutputDirection : std::uint8_t { Reverse = 0, Flip = 1, Forward = 2 };

// The byte of the on/off/float and direction commands: the outputs' mask in
// bits 0-2 and the code in bits 6-7.
constexpr int outputCommandByte(int outputs, int code)
{
    return (outputs & allOutputs) | code << 6;
}

constexpr int outputCodeOf(std::uint8_t commandByte)
{
    return commandByte >> 6;
}

// An output's status byte (source 3): the power 0-7 in bits 0-2, bit 3 set
// when it goes forward, the mode in bits 6-7.
constexpr std::uint8_t outputStatusByte(OutputMode mode, bool forward, int power)
{
    return static_cast<std::uint8_t>(static_cast<int>(mode) << 6 | (forward ? 0x08 : 0) | (power & 7));
}

constexpr int statusPowerOf(int statusByte)
{
    return statusByte & 7;
}

constexpr bool statusForwardOf(int statusByte)
{
    return (statusByte & 0x08) != 0;
}

constexpr int statusModeOf(int statusByte)
{
    return (statusByte >> 6) & 3;
}
