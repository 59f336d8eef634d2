#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// "55 FF 00" → {0x55, 0xFF, 0x00}.
Bytes hex(const std::string& text);
// Bytes framed as on the wire (header, complements, checksum), apart from the link layer.
Bytes framed(const Bytes& bytes);
// A 16-bit value as the brick stores it, low byte first.
Bytes word(int value);
// A download block command: opcode, number, length, data and its sum.
Bytes block(std::uint8_t opcode, int number, const Bytes& data);
template <typename T> std::vector<T> operator+(std::vector<T> a, const std::vector<T>& b)
{
    return a.insert(a.end(), b.begin(), b.end()), a;
}
// What a framed packet carries, the toggle bit of its opcode cleared.
Bytes unframed(const Bytes& packet);
// Waits for a condition another thread makes true, up to `limit`.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(5));
