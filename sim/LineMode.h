#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

// The brick's infrared line as its boot ROM runs it, and the host's serial
// settings, which must agree with it for either side to hear the other.

enum class Parity { none, odd, even };

// What a UART needs to agree on: the speed and the parity (8 data bits and
// one stop bit always).
struct LineSettings {
    int bitsPerSecond = 2400;
    Parity parity = Parity::odd;

    bool operator==(const LineSettings&) const = default;
    // Start, 8 data, parity if any, stop.
    constexpr int bitsPerByte() const { return parity == Parity::none ? 10 : 11; }
    constexpr std::chrono::nanoseconds byteTime() const
    {
        return std::chrono::nanoseconds(1'000'000'000LL * bitsPerByte() / bitsPerSecond);
    }
};

// The ROM's line: the UART's settings and whether each byte of a packet is
// followed by its complement.
struct LineMode {
    LineSettings settings;
    bool complements = true;

    bool operator==(const LineMode&) const = default;
};

// The registers the ROM's line runs by, where downloaded code can change
// them: the serial mode and bit rate registers of the H8/3292's serial
// interface and the ROM's flag for sending complements. They start as the
// ROM sets them at power-on: 8 bits with odd parity at 2400 bit/s,
// complements on.
struct LineRegisters {
    static constexpr std::uint16_t serialModeAddress = 0xFFD8;
    static constexpr std::uint16_t bitRateAddress = 0xFFD9;
    static constexpr std::uint16_t sendComplementsAddress = 0xEF51;
    // Serial mode register bits.
    static constexpr std::uint8_t parityEnable = 0x20;
    static constexpr std::uint8_t oddParity = 0x10;
    static constexpr std::uint8_t clockSelect = 0x03;

    std::uint8_t serialMode = parityEnable | oddParity;
    std::uint8_t bitRate = 207;
    std::uint8_t sendComplements = 1;

    LineMode mode() const;
};

// The standard rate nearest to what the 16 MHz clock gives for the bit rate
// register and the clock select bits: 16 MHz / (32 × 4^select × (bitRate + 1)),
// 207 → 2400, 103 → 4800.
int standardRate(std::uint8_t bitRate, int clockSelect);

// A byte as a receiver on other settings than the sender's takes it. The
// model: it falls a bit out of step, missing the start bit, so the data
// come shifted right by one and the stop bit shows as bit 7. Such bytes
// never make a packet's header (0x55 and 0x00 have bit 7 clear), so
// nothing frames on either side.
constexpr std::uint8_t garbled(std::uint8_t byte)
{
    return static_cast<std::uint8_t>(byte >> 1 | 0x80);
}

// What is known of the host's serial settings. A pseudo-terminal shows its
// speed but never a parity: Linux clears PARENB on every change of its
// settings. What is not known is taken to be as the brick's line has it.
struct HostSettings {
    std::optional<int> bitsPerSecond;
    std::optional<Parity> parity;

    // These settings, the unknown parts taken from `line`.
    LineSettings filledFrom(const LineSettings& line) const;
    // Whether bytes pass between the host and a line of these settings.
    bool agreeWith(const LineSettings& line) const { return filledFrom(line) == line; }
};
