#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// 16-bit values as the brick's packets, program files and datalog carry them,
// low byte first; the memory map's words are the one exception, high byte
// first.

constexpr std::uint8_t lowByte(int value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

constexpr std::uint8_t highByte(int value)
{
    return static_cast<std::uint8_t>(value >> 8 & 0xFF);
}

constexpr std::uint16_t littleEndian16(std::span<const std::uint8_t> bytes, std::size_t at = 0)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// The same word as a signed number, as the brick's variables and immediate
// numbers are.
constexpr std::int16_t signedLittleEndian16(std::span<const std::uint8_t> bytes, std::size_t at = 0)
{
    return static_cast<std::int16_t>(littleEndian16(bytes, at));
}

constexpr std::uint16_t bigEndian16(std::span<const std::uint8_t> bytes, std::size_t at = 0)
{
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}
