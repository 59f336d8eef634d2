#include "link/RCXPacket.h"
#include "support/ScriptedPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

struct CommandCase {
    int opcode;
    std::vector<int> arguments;
    bool toggled;
    const char* wire;
};

class SendTest : public ::testing::Test {
protected:
    explicit SendTest(bool echo = false) : port(echo) { packet.startReadLoop(); }

    ScriptedPort port;
    RCXPacket packet{port};
};

TEST_F(SendTest, CommandPacketsOnTheWire)
{
    const CommandCase cases[] = {
        {0x10, {}, false, "55 FF 00 10 EF 10 EF"},
        {0x10, {}, true, "55 FF 00 18 E7 18 E7"},
        {0x12, {9, 0}, false, "55 FF 00 12 ED 09 F6 00 FF 1B E4"},
        {0x14, {3, 2, 0x34, 0x12}, false, "55 FF 00 14 EB 03 FC 02 FD 34 CB 12 ED 5F A0"},
        // Low bits 6: no argument; low bits 7: one.
        {0x16, {}, false, "55 FF 00 16 E9 16 E9"},
        {0x17, {0x20}, false, "55 FF 00 17 E8 20 DF 37 C8"},
        // Only the low 8 bits of an argument go out.
        {0x21, {0x134}, false, "55 FF 00 21 DE 34 CB 55 AA"},
        // Five arguments at most.
        {0x75, {1, 2, 3, 4, 5}, false, "55 FF 00 75 8A 01 FE 02 FD 03 FC 04 FB 05 FA 84 7B"},
    };
    for (const CommandCase& c : cases) {
        port.clearWrites();
        packet.unToggle();
        if (c.toggled)
            packet.toggleNow();
        EXPECT_EQ(packet.sendPacket(c.opcode, c.arguments, 0.2f), 0);
        ASSERT_EQ(port.writes().size(), 1u) << "one write per packet";
        EXPECT_EQ(port.writes()[0], hex(c.wire)) << std::hex << c.opcode;
    }
}

TEST_F(SendTest, DownloadPacketsOnTheWire)
{
    const std::uint8_t data[] = {0x01, 0x02};
    EXPECT_EQ(packet.sendDLPacket(1, 2, data, 0.2f), 0);
    packet.toggleNow();
    EXPECT_EQ(packet.sendDLPacket(0, 0, data, 0.2f), 0);
    const auto writes = port.writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0], hex("55 FF 00 45 BA 01 FE 00 FF 02 FD 00 FF 01 FE 02 FD 03 FC 4E B1"));
    EXPECT_EQ(writes[1], hex("55 FF 00 4D B2 00 FF 00 FF 00 FF 00 FF 00 FF 4D B2"));
}

TEST_F(SendTest, ABlockOfTwoHundredFortySixBytesIsTheLargest)
{
    std::vector<std::uint8_t> data(247, 0x11);
    EXPECT_EQ(packet.sendDLPacket(0x0102, 246, data.data(), 0.2f), 0);
    ASSERT_EQ(port.writes().size(), 1u);
    const Bytes wire = port.writes()[0];
    ASSERT_EQ(wire.size(), 2u * 246 + 17);
    EXPECT_EQ(Bytes(wire.begin() + 5, wire.begin() + 13), hex("02 FD 01 FE F6 09 00 FF"));
    EXPECT_EQ(packet.sendDLPacket(1, 247, data.data(), 0.2f), kIOReturnOverrun);
    EXPECT_EQ(port.writes().size(), 1u) << "nothing written";
}

TEST_F(SendTest, ASuspendedLinkRefusesBothSends)
{
    const std::uint8_t data[] = {1};
    packet.block();
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), kIOReturnNotReady);
    EXPECT_EQ(packet.sendDLPacket(1, 1, data, 0.2f), kIOReturnNotReady);
    std::vector<std::uint8_t> big(300);
    EXPECT_EQ(packet.sendDLPacket(1, 300, big.data(), 0.2f), kIOReturnNotReady) << "refused before the size";
    packet.unblock();
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), 0);
    EXPECT_EQ(port.writes().size(), 1u);
}

TEST(SendBeforeReading, SendsAreRefusedUntilTheReceiveThreadReads)
{
    ScriptedPort port;
    RCXPacket packet(port);
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), kIOReturnNotReady);
    packet.startReadLoop();
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), 0);
}

TEST_F(SendTest, ASendWaitsForTheEndOfAPacketBeingRead)
{
    // The receive thread holds the port from a packet's first byte on.
    port.stallReads(true);
    port.feed(hex("55 FF 00"));
    ASSERT_TRUE(port.waitUntilDrained());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), kIOReturnTimeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(195));
    EXPECT_TRUE(port.writes().empty());
    // The rest of a message packet frees it again.
    port.feed(hex("F7 08 05 FA FC 03"));
    EXPECT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), 0);
}

TEST_F(SendTest, AFailedWriteIsPassedUpAndFreesThePort)
{
    port.failWrites(5);
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), 5);
    port.failWrites(0);
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), 0);
}

class EchoTest : public SendTest {
protected:
    EchoTest() : SendTest(true) {}
};

TEST_F(EchoTest, TheEchoOfEachPacketIsSwallowed)
{
    StdoutCapture output;
    const std::uint8_t data[] = {0x01, 0x02, 0x03};
    EXPECT_EQ(packet.sendPacket(0x14, std::vector<int>{3, 2, 0x34, 0x12}, 0.2f), 0);
    ASSERT_TRUE(port.waitUntilDrained());
    EXPECT_EQ(packet.sendDLPacket(7, 3, data, 0.2f), 0);
    ASSERT_TRUE(port.waitUntilDrained());
    // A message the host sent comes back as its echo, not as a brick message.
    EXPECT_EQ(packet.sendPacket(0xF7, std::vector<int>{5}, 0.2f), 0);
    ASSERT_TRUE(port.waitUntilDrained());
    EXPECT_EQ(packet.messagesReceived(), 0);
    EXPECT_EQ(output.text(), "");
}

TEST_F(EchoTest, PacketsSentBackToBackKeepTheirEchoes)
{
    using namespace std::chrono_literals;
    // A line on which each echo comes 20 ms after its write. Each send
    // returns only once its echo is in, so the next packet never replaces an
    // echo record still awaited, and the host's own message is not taken for
    // the brick's.
    constexpr std::size_t rounds = 5;
    port.deliverEcho(false);
    std::thread line([this] {
        for (std::size_t i = 0; i < 2 * rounds; ++i) {
            ASSERT_TRUE(port.waitForWrites(i + 1));
            std::this_thread::sleep_for(20ms);
            port.feed(port.writes()[i]);
        }
    });
    StdoutCapture output;
    for (std::size_t i = 0; i < rounds; ++i) {
        EXPECT_EQ(packet.sendPacket(0xF7, std::vector<int>{5}, 0.2f), 0);
        EXPECT_EQ(packet.sendPacket(0xD2, std::vector<int>{0, 0}, 0.2f), 0);
    }
    line.join();
    ASSERT_TRUE(port.waitUntilDrained());
    EXPECT_EQ(packet.messagesReceived(), 0);
    EXPECT_EQ(output.text(), "");
}

TEST_F(EchoTest, ASendReturnsOnceItsEchoHasCrossedTheLine)
{
    using namespace std::chrono_literals;
    port.deliverEcho(false);
    // A slow line: the echo of a 20-byte block (57 bytes, 261 ms at 2400
    // bit/s) comes back 300 ms after the write.
    std::thread line([this] {
        ASSERT_TRUE(port.waitForWrites(1));
        std::this_thread::sleep_for(300ms);
        port.feed(port.writes()[0]);
    });
    const std::uint8_t data[20] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(packet.sendDLPacket(1, 20, data, 0.4f), 0);
    const auto took = std::chrono::steady_clock::now() - start;
    line.join();
    EXPECT_GE(took, 290ms);
}

TEST_F(EchoTest, AnEchoThatNeverComesHoldsASendOnlySoLong)
{
    using namespace std::chrono_literals;
    port.deliverEcho(false);
    const auto start = std::chrono::steady_clock::now();
    // 7 bytes at 11 bits and 2400 bit/s, and 0.2 s more.
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), 0);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 220ms);
}

TEST(NoEchoTest, WithoutAnEchoTheSamePacketIsABrickMessage)
{
    ScriptedPort port(false);
    RCXPacket packet(port);
    packet.startReadLoop();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(packet.sendPacket(0xF7, std::vector<int>{5}, 0.2f), 0);
    // Nothing is expected back, so the same bytes from the brick are a message.
    port.feed(framed({0xF7, 0x05}));
    EXPECT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    EXPECT_EQ(packet.getMessage(0, 0.2f), 5);
}

} // namespace
