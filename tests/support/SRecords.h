#pragma once

// Firmware files as S-records, with right counts and checksums.
#include "support/Bytes.h"

#include <algorithm>
#include <numeric>
#include <string>

inline std::string hexByte(int byte) { return {"0123456789ABCDEF"[(byte >> 4) & 15], "0123456789ABCDEF"[byte & 15]}; }

inline std::string record(char type, int address, const Bytes& data)
{
    Bytes line = Bytes{std::uint8_t(data.size() + 3)} + Bytes{std::uint8_t(address >> 8), std::uint8_t(address)} + data;
    line.push_back(std::uint8_t(~std::accumulate(line.begin(), line.end(), 0)));
    return std::accumulate(line.begin(), line.end(), std::string("S") + type, [](std::string text, int byte) { return text + hexByte(byte); }) + "\n";
}

// `image` from `origin`, `perLine` bytes a line, then the start address.
inline std::string recordsOf(const Bytes& image, int start = 0x8000, int origin = 0x8000, std::size_t perLine = 16)
{
    std::string text;
    for (std::size_t at = 0; at < image.size(); at += perLine)
        text += record('1', int(origin + at), Bytes(image.begin() + long(at), image.begin() + long(std::min(at + perLine, image.size()))));
    return text + record('9', start, {});
}
