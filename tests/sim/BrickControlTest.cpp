#include "sim/Brick.h"
#include "sim/BrickControl.h"
#include "support/ScriptedPort.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::string control(Brick& brick, const std::string& line)
{
    return BrickControl(brick).run(line);
}

TEST(BrickControl, StateIsOneLineOfJsonWithEveryPart)
{
    Brick brick;
    const std::string state = control(brick, "state");
    EXPECT_EQ(state.find('\n'), std::string::npos);
    for (const char* part :
        {"{\"power\":\"on\",", "\"battery\":9000,", "\"slot\":1,", "\"running\":false,", "\"watch\":",
            "\"outputs\":[{\"power\":7,\"direction\":\"forward\",\"state\":\"float\"},",
            "\"sensors\":[{\"type\":0,\"mode\":0,\"slope\":0,\"raw\":1023,\"value\":1023},",
            "\"variables\":[0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0],",
            "\"datalog\":{\"size\":0,\"entries\":[]},",
            "\"programs\":[{\"slot\":1,\"tasks\":{},\"subs\":{}},{\"slot\":2,",
            "\"firmware\":{\"present\":true,\"unlocked\":true,\"address\":0,\"length\":0,\"checksum\":0},",
            "\"received\":{\"messages\":[],\"remote\":[]},", "\"played\":[],\"sent\":[],\"unknownOpcode\":null}"})
        EXPECT_TRUE(contains(state, part)) << part << " not in " << state;
    Brick rom(false);
    EXPECT_TRUE(contains(control(rom, "state"), "\"firmware\":{\"present\":false,\"unlocked\":false,"));
}

TEST(BrickControl, StateShowsWhatTheHostDid)
{
    Brick brick;
    brick.receive(framed({0x91, 1}));
    brick.receive(framed({0x25, 0, 2, 0, 3, 0}));
    brick.receive(framed({0x45, 0, 0, 3, 0, 0x13, 0x07, 0x02, 0x1C}));
    brick.receive(framed({0x52, 4, 0}));
    brick.receive(framed({0x51, 5}));
    brick.receive(framed({0xF7, 9}));
    brick.receive(framed({0xD2, 0x80, 0}));
    brick.receive(framed({0x21, 0x81}));
    brick.receive(framed({0x22, 13, 45}));
    EXPECT_EQ(control(brick, "datalog add 0x41 -5"), "ok");
    const std::string state = control(brick, "state");
    for (const char* part : {"\"slot\":2,", "{\"slot\":2,\"tasks\":{\"2\":\"13 07 02\"},\"subs\":{}}",
             "\"datalog\":{\"size\":4,\"entries\":[[255,2],[65,-5]]}", "{\"power\":7,\"direction\":\"forward\",\"state\":\"on\"}",
             "\"received\":{\"messages\":[9],\"remote\":[128]}", "\"played\":[{\"sound\":5}]", "\"watch\":825,"})
        EXPECT_TRUE(contains(state, part)) << part << " not in " << state;
}

TEST(BrickControl, HistoryListsTheCommandsInHex)
{
    Brick brick;
    EXPECT_EQ(control(brick, "history"), "[]");
    brick.receive(framed({0x10}));
    brick.receive(framed({0x1A, 9, 0}));
    brick.receive(framed({0x45, 1, 0, 2, 0, 0xAB, 0x01, 0xAC}));
    EXPECT_EQ(control(brick, "history"), "[\"10\",\"1A 09 00\",\"45 01 00 02 00 AB 01 AC\"]");
    EXPECT_EQ(brick.history().size(), 3u);
    EXPECT_EQ(control(brick, "history clear"), "ok");
    EXPECT_EQ(control(brick, "history"), "[]");
}

TEST(BrickControl, SettersChangeWhatTheHostReads)
{
    Brick brick;
    EXPECT_EQ(control(brick, "sensor 0x2 raw 0x1FF"), "ok");
    EXPECT_EQ(brick.snapshot().sensors[1].raw, 511);
    EXPECT_EQ(control(brick, "battery 7500"), "ok");
    EXPECT_EQ(brick.snapshot().battery, 7500);
    EXPECT_EQ(control(brick, "silent on"), "ok");
    EXPECT_TRUE(brick.snapshot().silent);
    EXPECT_EQ(control(brick, "silent off"), "ok");
    EXPECT_EQ(control(brick, "noise 0.25"), "ok");
    EXPECT_DOUBLE_EQ(brick.noiseProbability(), 0.25);
    EXPECT_EQ(control(brick, "quit"), "ok");
}

TEST(BrickControl, MessageIsSentByTheBrick)
{
    Brick brick;
    Bytes sent;
    brick.setTransmitter([&sent](const ByteString& bytes) { sent = bytes; });
    EXPECT_EQ(control(brick, "message 0x21"), "ok");
    EXPECT_EQ(sent, framed({0xF7, 0x21}));
    brick.receive(framed({0x60}));
    EXPECT_EQ(control(brick, "message 1"), "error: the brick is off");
    EXPECT_EQ(control(brick, "power on"), "ok");
    EXPECT_EQ(control(brick, "message 1"), "ok");
}

TEST(BrickControl, DatalogAddNeedsRoom)
{
    Brick brick;
    EXPECT_EQ(control(brick, "datalog add 1 2"), "error: the datalog is full");
    brick.receive(framed({0x52, 1, 0}));
    EXPECT_EQ(control(brick, "datalog add 1 65535"), "ok");
    EXPECT_EQ(brick.snapshot().datalog.entries.at(0).value, -1);
    EXPECT_EQ(control(brick, "datalog add 1 2"), "error: the datalog is full");
}

TEST(BrickControl, RefuseBlocksRefusesThatManyBlocks)
{
    Brick brick;
    Bytes sent;
    brick.setTransmitter([&sent](const ByteString& bytes) { sent = bytes; });
    EXPECT_EQ(control(brick, "refuse-blocks 2"), "ok");
    brick.receive(framed({0x25, 0, 0, 0, 1, 0}));
    const std::uint8_t opcodes[] = {0x45, 0x4D, 0x45};
    const std::uint8_t statuses[] = {3, 3, 0};
    for (int i = 0; i < 3; ++i) {
        brick.receive(framed({opcodes[i], 0, 0, 1, 0, 7, 7}));
        EXPECT_EQ(sent, framed({static_cast<std::uint8_t>(~opcodes[i]), statuses[i]}));
    }
    EXPECT_EQ(brick.snapshot().programs[0].tasks[0], ByteString{7});
}

TEST(BrickControl, DumpFirmwareWritesTheImage)
{
    Brick brick(false);
    brick.receive(framed({0x75, 0, 0x80, 3, 0, 0}));
    brick.receive(framed({0x45, 0, 0, 2, 0, 1, 2, 3}));
    const auto path = std::filesystem::temp_directory_path() / ("brick firmware " + std::to_string(::getpid()));
    EXPECT_EQ(control(brick, "dump firmware " + path.string()), "ok");
    std::ifstream file(path, std::ios::binary);
    const Bytes written{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(written, (Bytes{1, 2}));
    std::filesystem::remove(path);
    EXPECT_EQ(control(brick, "dump firmware /nonexistent/dir/file"), "error: can't write /nonexistent/dir/file");
}

class MalformedControlTest : public ::testing::TestWithParam<const char*> {};

TEST_P(MalformedControlTest, IsRefusedAndChangesNothing)
{
    // The manual clock: its state stays as it was while time stands still.
    Brick brick(true, BrickClock::Kind::Manual);
    brick.receive(framed({0x52, 2, 0}));
    const std::string before = control(brick, "state");
    const std::string answer = control(brick, GetParam());
    EXPECT_EQ(answer.rfind("error: ", 0), 0u) << answer;
    EXPECT_EQ(control(brick, "state"), before);
    EXPECT_DOUBLE_EQ(brick.noiseProbability(), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Commands, MalformedControlTest,
    ::testing::Values("", "status", "state now", "sensor 4 raw 10", "sensor 0 raw 10", "sensor 1 raw 1024",
        "sensor 1 value 5", "sensor 1 raw", "sensor 1 raw 0x", "sensor 1 raw 1e3", "sensor 1 raw +5", "battery -1",
        "battery 65536", "battery 12 13", "message 256", "message -1", "datalog add 256 1", "datalog add 1 65536",
        "datalog add 1 -32769", "datalog put 1 1", "datalog add 1", "power off", "power", "silent maybe",
        "noise 1.5", "noise -0.1", "noise abc", "noise", "refuse-blocks -1", "refuse-blocks x", "dump firmware",
        "dump image x", "history now", "quit now", "message 0x0x10", "advance", "advance -1", "advance 1 2",
        "advance 86400001"));

TEST(BrickControl, AdvanceMovesOnlyAManualClock)
{
    Brick manual(true, BrickClock::Kind::Manual);
    EXPECT_EQ(control(manual, "advance 1500"), "ok");
    EXPECT_TRUE(contains(control(manual, "state"), "\"time\":1500,"));
    Brick wall;
    EXPECT_EQ(control(wall, "advance 10"), "error: the clock is not manual");
}

} // namespace
