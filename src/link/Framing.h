#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The RCX infrared framing: a 0x55 0xFF 0x00 header, then every byte followed
// by its complement, then the sum of those bytes (modulo 256) and its
// complement. On the ROM's fast line the complements are left out.

constexpr std::uint8_t complement(std::uint8_t byte)
{
    return static_cast<std::uint8_t>(~byte);
}

constexpr std::uint8_t checksum(std::span<const std::uint8_t> bytes)
{
    std::uint8_t sum = 0;
    for (std::uint8_t byte : bytes)
        sum = static_cast<std::uint8_t>(sum + byte);
    return sum;
}

// Writes one framed packet into a caller's buffer, which must hold
// 5 + 2 × (bytes put) bytes.
class FrameWriter {
public:
    static constexpr std::uint8_t header[3] = {0x55, 0xFF, 0x00};

    explicit FrameWriter(std::uint8_t* buffer, bool complements = true);

    // Appends a byte (and its complement), and adds it to the checksum.
    void put(std::uint8_t byte);
    // Appends the checksum of everything put so far (and its complement).
    void putChecksum();
    std::size_t size() const { return end; }

private:
    void append(std::uint8_t byte);

    std::uint8_t* out;
    const bool complements;
    std::size_t end = 0;
    std::uint8_t sum = 0;
};
