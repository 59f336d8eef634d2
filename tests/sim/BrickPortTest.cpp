// The host's link layer against the virtual brick, in one process.
#include "link/RCXSender.h"
#include "sim/Brick.h"
#include "sim/BrickControl.h"
#include "sim/BrickPort.h"
#include "support/ScriptedPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

class Listener : public Control {
public:
    void timeout() override { ++timeouts; }
    void towerError() override { ++towerErrors; }
    int timeouts = 0;
    int towerErrors = 0;
};

class BrickPortTest : public ::testing::Test {
protected:
    BrickPortTest()
    {
        port.openPort("brick");
        packet.startReadLoop();
    }

    Brick brick;
    BrickPort port{brick};
    Listener listener;
    RCXPacket packet{port};
    RCXSender sender{packet, &listener};
};

TEST_F(BrickPortTest, TheHostsCommandsAreAnswered)
{
    sender.sendCode(0x10);
    EXPECT_EQ(sender.sendCodeGet2(0x30), 9000);
    sender.sendCode(0x14, {4, 2, 0x34, 0x12});
    EXPECT_EQ(sender.sendCodeGet2(0x12, {0, 4}), 0x1234);
    std::uint8_t map[188] = {};
    sender.sendCodeGetBlock(0x20, map, 188);
    EXPECT_EQ(map[186] << 8 | map[187], ProgramMemory::end);
    EXPECT_EQ(sender.sendCodeGet1(0x25, {0, 0, 0, 3, 0}), 0);
    const std::uint8_t code[] = {0x13, 0x07, 0x02};
    EXPECT_EQ(sender.sendBlock(0, 3, code), 0);
    EXPECT_EQ(brick.snapshot().programs[0].tasks[0], (ByteString{0x13, 0x07, 0x02}));
    EXPECT_EQ(listener.timeouts + listener.towerErrors, 0);
}

TEST_F(BrickPortTest, ABeepIsTwoRemoteCommandsThatBothAct)
{
    sender.sendCode(0x10);
    sender.sendCodeNoReply(0xD2, {0x00, 0x00});
    sender.sendCodeNoReply(0xD2, {0x80, 0x00});
    EXPECT_TRUE(waitUntil([&] { return brick.snapshot().remote.size() == 2; }));
    EXPECT_EQ(brick.snapshot().remote, (std::vector<std::uint16_t>{0x0000, 0x0080}));
    EXPECT_EQ(brick.history(), (std::vector<ByteString>{{0x18}, {0xD2, 0, 0}, {0xD2, 0x80, 0}}));
}

TEST_F(BrickPortTest, TheHostsDatalogUploadReadsTheEntries)
{
    EXPECT_EQ(sender.sendCodeGet1(0x52, {10, 0}), 0);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(brick.addDatalogEntry(static_cast<std::uint8_t>(0x40 + i), static_cast<std::int16_t>(-i)));
    std::uint8_t types[6] = {};
    std::uint16_t values[6] = {};
    sender.uploadBlock(0, 6, types, values);
    EXPECT_EQ(types[0], 0xFF);
    EXPECT_EQ(values[0], 6);
    EXPECT_EQ(types[5], 0x44);
    EXPECT_EQ(values[5], 0xFFFC);
}

TEST_F(BrickPortTest, MessagesFromTheBrickReachTheHost)
{
    for (int value : {7, 8, 9})
        EXPECT_EQ(BrickControl(brick).run("message " + std::to_string(value)), "ok");
    EXPECT_TRUE(waitUntil([&] { return packet.messagesReceived() == 3; }));
    EXPECT_EQ(packet.getMessage(2, 0.2f), 9);
}

TEST_F(BrickPortTest, AReplyLostToTheHostIsRepeatedForTheRetry)
{
    // The brick acts on the first attempt but its reply is lost; the retry
    // with the same toggle bit gets the reply without a second action.
    brick.setSilent(true);
    auto answer = std::async(std::launch::async, [&] { return sender.sendCodeGet1(0x25, {0, 1, 0, 2, 0}); });
    EXPECT_TRUE(waitUntil([&] { return brick.history().size() == 1; }));
    brick.setSilent(false);
    EXPECT_EQ(answer.get(), 0);
    const std::vector<ByteString> history = brick.history();
    ASSERT_GE(history.size(), 2u);
    EXPECT_EQ(history[0], history[1]);
    EXPECT_EQ(listener.timeouts, 0);
}

TEST_F(BrickPortTest, APoweredOffBrickTimesOutUntilPowerOn)
{
    sender.sendCodeNoReply(0x60);
    EXPECT_TRUE(waitUntil([&] { return !brick.snapshot().powered; }));
    sender.sendCode(0x10);
    EXPECT_EQ(listener.timeouts, 1);
    EXPECT_EQ(BrickControl(brick).run("power on"), "ok");
    EXPECT_EQ(sender.sendCodeGet2(0x30), 9000);
    EXPECT_EQ(listener.timeouts, 1);
}

TEST(BrickPort, ClosingEndsAWaitingReadAndReadsFailUntilOpen)
{
    Brick brick;
    BrickPort port(brick);
    std::uint8_t byte = 0;
    EXPECT_NE(port.readByte(&byte, Port::noTimeLimit), 0);
    EXPECT_NE(port.write(&byte, 1), 0);
    ASSERT_EQ(port.openPort("brick"), 0);
    auto read = std::async(std::launch::async, [&] { return port.readByte(&byte, Port::noTimeLimit); });
    EXPECT_EQ(read.wait_for(50ms), std::future_status::timeout);
    port.closePort();
    ASSERT_EQ(read.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(read.get(), BrickPort::closedCode);
    EXPECT_NE(port.readByte(&byte, Port::noTimeLimit), 0);
    ASSERT_EQ(port.openPort("brick"), 0);
    const Bytes alive = framed({0x10});
    ASSERT_EQ(port.write(alive.data(), static_cast<int>(alive.size())), 0);
    Bytes got(14);
    for (std::uint8_t& next : got)
        ASSERT_EQ(port.readByte(&next, Port::noTimeLimit), 0);
    EXPECT_EQ(got, hex("55 FF 00 10 EF 10 EF 55 FF 00 EF 10 EF 10"));
}

} // namespace
