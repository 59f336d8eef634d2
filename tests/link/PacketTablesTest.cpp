#include "link/Framing.h"
#include "link/PacketTables.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

// The reply length of every command opcode, as the brick's firmware answers.
const std::map<int, std::set<int>> commandsByLength = {
    {1, {0x02, 0x03, 0x04, 0x05, 0x06, 0x10, 0x13, 0x14, 0x21, 0x22, 0x23, 0x24, 0x31, 0x32, 0x33, 0x34, 0x40,
         0x42, 0x44, 0x50, 0x51, 0x54, 0x61, 0x62, 0x64, 0x67, 0x70, 0x71, 0x74, 0x77, 0x80, 0x81, 0x84, 0x90,
         0x91, 0x93, 0x94, 0x97, 0xA1, 0xA3, 0xA7, 0xB1, 0xB7, 0xC1, 0xD0, 0xD1, 0xE0, 0xE1, 0xE5}},
    {2, {0x25, 0x35, 0x45, 0x52, 0x75}},
    {3, {0x12, 0x30}},
    {9, {0x15}},
    {26, {0xA5}},
    {189, {0x20}},
    {0, {0x60, 0x65, 0xC2, 0xD2, 0xF7}},
    {-2, {0x63, 0xA4}},
};

int expectedLength(int command)
{
    for (const auto& [length, commands] : commandsByLength)
        if (commands.count(command))
            return length;
    return -1;
}

TEST(ReplyLength, EveryCommandWithAndWithoutTheToggleBit)
{
    for (int command = 0; command < 256; ++command) {
        if (command & 0x08)
            continue;
        const int plain = complement(static_cast<std::uint8_t>(command));
        const int toggled = complement(static_cast<std::uint8_t>(command | 0x08));
        EXPECT_EQ(replyLength(plain), expectedLength(command)) << std::hex << command;
        EXPECT_EQ(replyLength(toggled), expectedLength(command)) << std::hex << command;
    }
}

TEST(ReplyLength, ExamplesByReplyOpcode)
{
    const std::pair<int, int> cases[] = {
        {0xEF, 1}, {0xE7, 1}, {0xDF, 189}, {0x5B, -2}, {0x08, 0}, {0xFF, -1}, {0xF7, -1}, {0xCF, 3},
    };
    for (auto [reply, length] : cases)
        EXPECT_EQ(replyLength(reply), length) << std::hex << reply;
}

TEST(DefaultMode, EachSensorTypeGetsItsMode)
{
    const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {2, 5}, {3, 4}, {4, 7}, {5, 0}, {-1, 0}, {255, 0}};
    for (auto [type, mode] : cases)
        EXPECT_EQ(defaultMode(type), mode) << type;
}

} // namespace
