#include "sim/CommandDecoder.h"

#include "link/Framing.h"
#include "protocol/Opcodes.h"
#include "protocol/PacketLengths.h"
#include "protocol/Words.h"

#include <iterator>

namespace {

constexpr std::size_t headerLength = std::size(FrameWriter::header);
constexpr std::size_t blockHeaderValues = 5; // opcode, block lo/hi, length lo/hi
// Without complements, a reply of more values than the versions' (opcode and
// 8 bytes) still has its opcode's complement after the opcode: of the
// ROM's, the unlock's answer.
constexpr std::size_t longestPlainReply = 9;

bool isTransferData(std::uint8_t opcode)
{
    return withoutToggle(opcode) == Opcode::transferData;
}

} // namespace

void CommandDecoder::feed(std::uint8_t byte)
{
    unread.push_back(byte);
    while (!unread.empty()) {
        const std::uint8_t next = unread.front();
        unread.pop_front();
        packet.push_back(next);
        switch (step(next)) {
        case Step::More:
            break;
        case Step::Done:
            decoded.push_back(values);
            restart();
            break;
        case Step::Broken:
            // Look again for a header from the second byte of the debris on.
            unread.insert(unread.begin(), packet.begin() + 1, packet.end());
            restart();
            break;
        }
    }
}

void CommandDecoder::setComplements(bool complements)
{
    if (complements == withComplements)
        return;
    withComplements = complements;
    restart();
}

std::optional<ByteString> CommandDecoder::next()
{
    if (decoded.empty())
        return std::nullopt;
    ByteString command = std::move(decoded.front());
    decoded.pop_front();
    return command;
}

void CommandDecoder::restart()
{
    packet.clear();
    values.clear();
    pendingValue.reset();
    expectedValues = 0;
    header = Header::start;
}

CommandDecoder::Step CommandDecoder::step(std::uint8_t byte)
{
    if (!withComplements)
        return stepWithoutComplements(byte);
    if (packet.size() <= headerLength)
        return byte == FrameWriter::header[packet.size() - 1] ? Step::More : Step::Broken;
    if (!pendingValue) {
        pendingValue = byte;
        return Step::More;
    }
    const std::uint8_t value = *pendingValue;
    pendingValue.reset();
    return byte == complement(value) ? take(value) : Step::Broken;
}

CommandDecoder::Step CommandDecoder::stepWithoutComplements(std::uint8_t byte)
{
    const std::uint8_t mark = FrameWriter::header[1];
    const std::uint8_t zero = FrameWriter::header[2];
    switch (header) {
    case Header::start:
        if (byte == mark)
            header = Header::marked;
        return byte == mark || (byte == FrameWriter::header[0] && packet.size() == 1) ? Step::More : Step::Broken;
    case Header::marked:
        header = Header::complete;
        if (byte == zero)
            return Step::More;
        break;
    case Header::complete:
        break;
    }
    return take(byte);
}

CommandDecoder::Step CommandDecoder::take(std::uint8_t value)
{
    if (!values.empty() && values.size() == expectedValues)
        return value == checksum(values) ? Step::Done : Step::Broken;

    values.push_back(value);
    if (values.size() == 1)
        expectedValues = isTransferData(value) ? blockHeaderValues : 1 + static_cast<std::size_t>(argumentCount(value));
    if (isTransferData(values.front()) && values.size() == blockHeaderValues) {
        const int length = littleEndian16(values, 3);
        if (length > maxBlockLength)
            return Step::Broken;
        expectedValues = blockHeaderValues + static_cast<std::size_t>(length) + 1;
    }
    return Step::More;
}

ByteString frame(const ByteString& values, bool complements)
{
    if (!complements) {
        ByteString packet(std::begin(FrameWriter::header), std::end(FrameWriter::header));
        packet.insert(packet.end(), values.begin(), values.end());
        packet.push_back(checksum(values));
        if (values.size() > longestPlainReply)
            packet.insert(packet.begin() + headerLength + 1, complement(values.front()));
        return packet;
    }
    ByteString packet(headerLength + 2 * (values.size() + 1));
    FrameWriter writer(packet.data());
    for (std::uint8_t value : values)
        writer.put(value);
    writer.putChecksum();
    return packet;
}
