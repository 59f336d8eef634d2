#include "link/Framing.h"

FrameWriter::FrameWriter(std::uint8_t* buffer)
    : out(buffer)
{
    for (std::uint8_t byte : header)
        out[end++] = byte;
}

void FrameWriter::put(std::uint8_t byte)
{
    out[end++] = byte;
    out[end++] = complement(byte);
    sum = static_cast<std::uint8_t>(sum + byte);
}

void FrameWriter::putChecksum()
{
    const std::uint8_t total = sum;
    out[end++] = total;
    out[end++] = complement(total);
}
