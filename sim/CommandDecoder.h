#pragma once

#include "sim/BrickState.h"

#include <cstdint>
#include <deque>
#include <optional>

// The brick's side of the infrared framing: turns the bytes it hears into the
// host's commands, and frames what it sends back. Two framings, as the ROM's
// line mode has it: with complements (header, each value and its
// complement, the checksum and its complement) or without (header, the
// values, the checksum). Without complements the header may be cut short:
// hosts send 0xFF alone there, and the 0x55 before it and the 0x00 after
// it are taken when they come.
//
// A command is the opcode byte as received followed by its argument bytes,
// as many as the opcode has (argumentCount). Transfer data (0x45, 0x4D) carries
// block number and length (16 bits each, low byte first), `length` data
// bytes and their checksum.
//
// Anything that does not frame is dropped: a byte other than the header's,
// a broken complement, a wrong checksum, a block longer than maxBlockLength.
// After a broken packet the decoder looks for a header again from the byte
// after the one that began it, so a packet that starts inside the debris is
// still found.
class CommandDecoder {
public:
    static constexpr int maxBlockLength = 512;

    // Which framing the bytes fed from now on have; a change drops the
    // packet begun.
    void setComplements(bool complements);
    void feed(std::uint8_t byte);
    // The line was silent for longer than a packet pauses: the packet begun
    // is given up, so that one whose length a noisy byte made long does not
    // swallow the host's next tries.
    void abandonPacket() { restart(); }
    // The oldest command decoded and not yet taken.
    std::optional<ByteString> next();

private:
    enum class Step { More, Done, Broken };

    Step step(std::uint8_t byte);
    Step stepWithoutComplements(std::uint8_t byte);
    Step take(std::uint8_t value);
    void restart();

    std::deque<std::uint8_t> unread;
    std::deque<ByteString> decoded;
    // The packet being decoded: its bytes so far, and its values (opcode,
    // arguments) once their complements checked out.
    ByteString packet;
    ByteString values;
    std::optional<std::uint8_t> pendingValue;
    std::size_t expectedValues = 0;
    bool withComplements = true;
    // Without complements: how far the header has come.
    enum class Header { start, marked, complete } header = Header::start;
};

// A packet as the brick sends it, in either framing. Without complements a
// long reply (the unlock's answer) still carries its opcode's complement
// after the opcode, outside the checksum.
ByteString frame(const ByteString& values, bool complements);
