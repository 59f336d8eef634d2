#include "sim/CommandDecoder.h"
#include "support/ScriptedPort.h"

#include <gtest/gtest.h>

namespace {

std::vector<ByteString> decode(const Bytes& bytes)
{
    CommandDecoder decoder;
    for (std::uint8_t byte : bytes)
        decoder.feed(byte);
    std::vector<ByteString> commands;
    while (std::optional<ByteString> command = decoder.next())
        commands.push_back(*command);
    return commands;
}

struct Framed {
    const char* wire;
    std::vector<ByteString> commands;
};

class CommandDecoderTest : public ::testing::TestWithParam<Framed> {};

TEST_P(CommandDecoderTest, DecodesTheHostsPackets)
{
    EXPECT_EQ(decode(hex(GetParam().wire)), GetParam().commands);
}

INSTANTIATE_TEST_SUITE_P(Packets, CommandDecoderTest,
    ::testing::Values(Framed{"55 FF 00 10 EF 10 EF", {{0x10}}}, Framed{"55 FF 00 18 E7 18 E7", {{0x18}}},
        Framed{"55 FF 00 12 ED 09 F6 00 FF 1B E4", {{0x12, 0x09, 0x00}}},
        Framed{"55 FF 00 14 EB 03 FC 02 FD 34 CB 12 ED 5F A0", {{0x14, 3, 2, 0x34, 0x12}}},
        // 0x?6 carries no argument, 0x?7 one.
        Framed{"55 FF 00 F6 09 F6 09", {{0xF6}}}, Framed{"55 FF 00 F7 08 05 FA FC 03", {{0xF7, 5}}},
        Framed{"55 FF 00 45 BA 01 FE 00 FF 02 FD 00 FF 01 FE 02 FD 03 FC 4E B1", {{0x45, 1, 0, 2, 0, 1, 2, 3}}},
        Framed{"55 FF 00 4D B2 00 FF 00 FF 00 FF 00 FF 00 FF 4D B2", {{0x4D, 0, 0, 0, 0, 0}}},
        // Noise, a broken complement and a wrong checksum lose only their packet.
        Framed{"00 12 55 55 FF 00 10 EF 10 EF", {{0x10}}}, Framed{"55 FF 00 10 EE 10 EF 55 FF 00 10 EF 10 EF", {{0x10}}},
        Framed{"55 FF 00 10 EF 11 EE 55 FF 00 18 E7 18 E7", {{0x18}}},
        Framed{"55 FF 00 10 EF 55 FF 00 18 E7 18 E7", {{0x18}}}, Framed{"55 FF 00 10 EF 10", {}}));

TEST(CommandDecoder, RefusesBlocksLongerThanItsBuffer)
{
    Bytes command = {0x45, 1, 0, 0x01, 0x02};
    command.resize(5 + 513 + 1, 0);
    EXPECT_TRUE(decode(framed(command)).empty());
    command = {0x45, 1, 0, 0x00, 0x02};
    command.resize(5 + 512 + 1, 0);
    EXPECT_EQ(decode(framed(command)).size(), 1u);
}

TEST(CommandDecoder, FramesWhatTheBrickSends)
{
    EXPECT_EQ(frame({0xCF, 0x2C, 0x23}), hex("55 FF 00 CF 30 2C D3 23 DC 1E E1"));
    EXPECT_EQ(frame({0xEF}), hex("55 FF 00 EF 10 EF 10"));
}

} // namespace
