#include "support/Bytes.h"

#include "protocol/Opcodes.h"

#include <numeric>
#include <sstream>
#include <thread>

Bytes hex(const std::string& text)
{
    Bytes bytes;
    std::istringstream words(text);
    for (std::string word; words >> word;)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
    return bytes;
}

Bytes framed(const Bytes& bytes)
{
    Bytes packet = {0x55, 0xFF, 0x00};
    for (std::uint8_t byte : bytes)
        packet.push_back(byte), packet.push_back(static_cast<std::uint8_t>(~byte));
    const auto sum = static_cast<std::uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0));
    return packet + Bytes{sum, static_cast<std::uint8_t>(~sum)};
}

Bytes word(int value) { return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)}; }

Bytes block(std::uint8_t opcode, int number, const Bytes& data)
{
    return Bytes{opcode} + word(number) + word(int(data.size())) + data +
           Bytes{static_cast<std::uint8_t>(std::accumulate(data.begin(), data.end(), 0))};
}

Bytes unframed(const Bytes& packet)
{
    Bytes bytes;
    for (std::size_t i = 3; i + 3 < packet.size(); i += 2) // the last pair is the checksum
        bytes.push_back(i == 3 ? withoutToggle(packet[i]) : packet[i]);
    return bytes;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    for (const auto deadline = std::chrono::steady_clock::now() + limit; !condition(); std::this_thread::sleep_for(std::chrono::milliseconds(1)))
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}
