#include "link/Framing.h"

FrameWriter::FrameWriter(std::uint8_t* buffer, bool complements)
    : out(buffer)
    , complements(complements)
{
    for (std::uint8_t byte : header)
        out[end++] = byte;
}

void FrameWriter::append(std::uint8_t byte)
{
    out[end++] = byte;
    if (complements)
        out[end++] = complement(byte);
}

void FrameWriter::put(std::uint8_t byte)
{
    append(byte);
    sum = static_cast<std::uint8_t>(sum + byte);
}

void FrameWriter::putChecksum()
{
    append(sum);
}
