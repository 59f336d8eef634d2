// The link layer on a scripted tower: wire bytes, the receive loop against hostile streams, the echo, the thread's life.
#include "link/RCXPacket.h"
#include "ports/AllPorts.h"
#include "ports/NoPort.h"
#include "support/ScriptedPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class PacketTest : public ::testing::Test {
protected:
    PacketTest() { packet.startReadLoop(); }

    // Sends the battery command (0x30) and lets `reply` follow its echo.
    void sendAndAnswer(const Bytes& reply)
    {
        port.setResponder([reply](const Bytes&) { return reply; });
        ASSERT_EQ(packet.sendPacket(0x30, {}, 0.2f), 0);
    }

    ScriptedPort port;
    RCXPacket packet{port};
};

TEST_F(PacketTest, PacketsGoOutAsTheBrickExpectsThemWhenTheLinkMaySend)
{
    const struct { bool toggled; int opcode; std::vector<int> arguments; const char* wire; } cases[] = {
        {false, 0x10, {}, "55 FF 00 10 EF 10 EF"}, {true, 0x10, {}, "55 FF 00 18 E7 18 E7"},
        {false, 0x14, {3, 2, 0x34, 0x12}, "55 FF 00 14 EB 03 FC 02 FD 34 CB 12 ED 5F A0"},
        // Low bits 6: no argument; 7: one; missing ones go as 0.
        {false, 0x16, {1}, "55 FF 00 16 E9 16 E9"}, {false, 0x17, {0x20}, "55 FF 00 17 E8 20 DF 37 C8"},
        {false, 0x13, {7}, "55 FF 00 13 EC 07 F8 00 FF 00 FF 1A E5"},
        // The low 8 bits of an argument go out; five arguments at most.
        {false, 0x21, {0x134}, "55 FF 00 21 DE 34 CB 55 AA"},
        {true, 0x75, {1, 2, 3, 4, 5, 6}, "55 FF 00 7D 82 01 FE 02 FD 03 FC 04 FB 05 FA 8C 73"},
    };
    for (const auto& c : cases) {
        port.clearWrites();
        packet.unToggle();
        if (c.toggled)
            packet.toggleNow();
        EXPECT_EQ(packet.sendPacket(c.opcode, c.arguments, 0.2f), 0) << c.wire;
        EXPECT_EQ(port.writes(), std::vector<Bytes>{hex(c.wire)}) << "one write a packet";
    }
    port.clearWrites();
    packet.unToggle();
    const std::uint8_t data[247] = {1, 2};
    EXPECT_EQ(packet.sendDLPacket(1, 2, data, 0.2f), 0);
    packet.toggleNow();
    EXPECT_EQ(packet.sendDLPacket(0x0102, 0, data, 0.2f), 0);
    EXPECT_EQ(packet.sendDLPacket(1, 246, data, 0.2f), 0) << "the largest block the echo record holds";
    EXPECT_EQ(packet.sendDLPacket(1, 247, data, 0.2f), kIOReturnOverrun);
    ASSERT_EQ(port.writes().size(), 3u);
    EXPECT_EQ(port.writes()[0], hex("55 FF 00 45 BA 01 FE 00 FF 02 FD 00 FF 01 FE 02 FD 03 FC 4E B1"));
    EXPECT_EQ(port.writes()[1], hex("55 FF 00 4D B2 02 FD 01 FE 00 FF 00 FF 00 FF 50 AF"));
    EXPECT_EQ(port.writes()[2].size(), 2u * 246 + 17);
    // Nothing goes out while suspended (size unchecked) or before the receive thread reads.
    packet.block();
    EXPECT_EQ(packet.sendDLPacket(1, 247, data, 0.2f), kIOReturnNotReady);
    packet.unblock();
    // A write that fails returns at once: no echo is awaited.
    port.failWrites(5);
    const auto failing = Clock::now();
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), 5);
    EXPECT_LT(Clock::now() - failing, 100ms);
    EXPECT_EQ(RCXPacket(port).sendPacket(0x10, {}, 0.2f), kIOReturnNotReady);
}

const Bytes battery = hex("55 FF 00 CF 30 2C D3 23 DC 1E E1"); // 9004

TEST_F(PacketTest, HostileByteStreamsGiveTheReplyOrNothing)
{
    // The bytes before the battery command and after its echo, what the (one-byte when `byte`) reply wait gets, what is printed.
    const struct { const char* name; Bytes before, answer; int result; const char* printed = ""; bool toggled = false, byte = false; } cases[] = {
        {"the reply", {}, battery, 9004}, {"toggled reply", {}, framed({0xC7, 0x2C, 0x23}), 9004, "", true},
        {"untoggled reply to a toggled command", {}, battery, RCXPacket::noReplyInTime, "", true},
        {"checksum", {}, hex("55 FF 00 CF 30 2C D3 23 DC 1F E0"), -1, "Checksum error: expecting 1e, got 1f\n"},
        {"data complement", {}, hex("55 FF 00 CF 30 2C D4 23 DC 1E E1"), -1, "Complement error: expecting d3, got d4\n"},
        {"checksum complement", {}, hex("55 FF 00 CF 30 2C D3 23 DC 1E E2"), -1, "Complement error: expecting e1, got e2\n"},
        {"opcode complement", {}, hex("55 FF 00 CF 31 2C D3 23 DC 1E E1"), -1, "Complement error: expecting 30, got 31\n"},
        {"noise before the header", {}, hex("00 12 55") + battery, 9004},
        {"a packet begun inside a broken header", {}, hex("55 FF 00") + battery, 9004, "Complement error: expecting aa, got ff\n"},
        {"replies of no known length", {}, framed({0xFE, 1}) + framed({0x9F, 1}) + framed({0x2D, 1}) + battery, 9004},
        {"a reply of the wrong length", {}, battery, RCXPacket::wrongLength, "", false, true},
        // Late replies to commands given up neither hold the link nor answer.
        {"late replies before", framed({0xEF}) + framed({0xED, 1, 2}), battery, 9004},
        {"a late reply after", {}, framed({0xEF}) + battery, 9004},
        {"a lost tail", hex("55 FF 00 CF 30 2C"), battery, 9004}, // the packet is given up
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StdoutCapture output;
        port.feed(c.before);
        ASSERT_TRUE(port.waitUntilDrained());
        packet.unToggle();
        if (c.toggled)
            packet.toggleNow();
        sendAndAnswer(c.answer);
        EXPECT_EQ(c.byte ? packet.replyByte(0x30, 0.2f) : packet.reply2Bytes(0x30, 0.2f), c.result);
        ASSERT_TRUE(port.waitUntilDrained());
        EXPECT_EQ(output.text(), c.printed);
        packet.unToggle(); // nothing is left over, and the link still works
        sendAndAnswer(framed({0xCF, 0x10, 0x27}));
        EXPECT_EQ(packet.reply2Bytes(0x30, 0.2f), 10000);
    }
}

TEST_F(PacketTest, MessagesFillARingOf1024AndBrokenOnesTakeNoSlot)
{
    const std::pair<Bytes, std::string> streams[] = {
        {hex("55 FF 00 F7 08 05 FA FC 03"), ""},
        {framed({0xFF, 0x06}), ""}, // the toggled twin of the opcode
        {hex("55 FF 00 F7 08 05 FA FC 04 55 FF 00 F7 08 05 FA FD 02") + framed({0xF7, 7}),
         "Complement error: expecting 3, got 4\nChecksum error: expecting fc, got fd\n"},
        {hex("55 FF 00 F7 08 05 55 FF 00 F7 08 08 F7 FF 00"), "Complement error: expecting fa, got 55\n"},
    };
    for (const auto& [stream, printed] : streams) {
        StdoutCapture output;
        port.feed(stream);
        ASSERT_TRUE(port.waitUntilDrained());
        EXPECT_EQ(output.text(), printed);
    }
    Bytes more;
    for (int i = 9; i < 1026; ++i)
        more = more + framed({0xF7, static_cast<std::uint8_t>(i % 256)});
    port.feed(more + hex("55 FF 00 F7 08 63 9C 00 FF"));
    ASSERT_TRUE(port.waitUntilDrained());
    EXPECT_EQ(packet.messagesReceived(), 1021);
    EXPECT_EQ((std::vector{packet.getMessage(-1, 0.2f), packet.getMessage(0, 0.2f), packet.getMessage(3, 0.2f), packet.getMessage(1020, 0.2f),
                           packet.getMessage(1021, 0.2f)}), (std::vector<int>{-2, 5, 8, 1025 % 256, -2}));
    port.feed(framed({0xF7, 1}) + framed({0xF7, 2}) + framed({0xF7, 3}) + framed({0xF7, 4}));
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1025; }));
    EXPECT_EQ(packet.oldestHeldMessage(), 1);
    EXPECT_EQ(packet.getMessage(0, 0.2f), RCXPacket::noSuchMessage) << "1025 behind";
    EXPECT_EQ(packet.getMessage(1, 0.2f), 6) << "exactly 1024 behind: the oldest kept";
}

TEST_F(PacketTest, ABlockReplyTakesTheLengthSetBeforehandAndASuspendedOrFailedLinkFailsEveryWait)
{
    EXPECT_EQ(packet.setBlockLength(256, 0.2f), RCXPacket::wrongLength);
    EXPECT_EQ(packet.setBlockLength(-1, 0.2f), RCXPacket::wrongLength);
    for (int length : {15, 255}) {
        ASSERT_EQ(packet.setBlockLength(length, 0.2f), 0);
        Bytes reply(length + 1, 0x11);
        reply[0] = 0x5B;
        reply.back() = static_cast<std::uint8_t>(length);
        sendAndAnswer(framed(reply));
        std::uint8_t data[255] = {};
        EXPECT_EQ(packet.replyBlock(0xA4, length, data, 2.75f), 0);
        EXPECT_EQ(Bytes(data, data + length), Bytes(reply.begin() + 1, reply.end()));
    }
    port.feed(framed({0xF7, 0x2A}));
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    packet.block();
    std::uint8_t data[3];
    EXPECT_EQ((std::vector{packet.replyCheck(0x10, 0.2f), packet.replyByte(0x12, 0.2f), packet.reply2Bytes(0x30, 0.2f),
                           packet.replyBlock(0xA4, 3, data, 0.2f), packet.setBlockLength(3, 0.2f)}),
              std::vector<int>(5, RCXPacket::linkSuspended));
    EXPECT_EQ(packet.getMessage(0, 0.2f), 0x2A) << "messages are kept";
    // So does a read error, which stops the thread and releases its locks.
    packet.startReadLoop();
    StdoutCapture output;
    port.feed(hex("55 FF 00 F7 08")); // inside a message
    ASSERT_TRUE(port.waitUntilDrained());
    port.failRead(0x1234);
    ASSERT_TRUE(output.waitFor("Error: 1234\n"));
    EXPECT_TRUE(waitUntil([&] { return packet.sendPacket(0x10, {}, 0.2f) == kIOReturnNotReady; }));
    packet.startReadLoop();
    port.feed(framed({0xF7, 0x03}));
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 2; }));
    EXPECT_EQ(packet.getMessage(1, 0.2f), 3) << "the message lock was released";
    sendAndAnswer(battery);
    EXPECT_EQ(packet.reply2Bytes(0x30, 0.2f), 9004);
}

TEST_F(PacketTest, TheEchoOfEachPacketIsSwallowedEvenOnASlowLine)
{
    // Echoes 20 ms after each write, 300 ms after a block: a send returns once its echo is in.
    StdoutCapture output;
    port.deliverEcho(false);
    std::thread line([this] {
        for (std::size_t i = 0; i < 11; ++i) {
            ASSERT_TRUE(port.waitForWrites(i + 1));
            std::this_thread::sleep_for(i < 10 ? 20ms : 300ms);
            port.feed(port.writes()[i]);
        }
    });
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(packet.sendPacket(0xF7, std::vector{5}, 0.2f), 0);
        EXPECT_EQ(packet.sendPacket(0x14, std::vector{3, 2, 0x34, 0x12}, 0.2f), 0);
    }
    const std::uint8_t data[20] = {};
    const auto start = Clock::now();
    EXPECT_EQ(packet.sendDLPacket(1, 20, data, 0.4f), 0);
    EXPECT_GE(Clock::now() - start, 290ms);
    line.join();
    // An echo that differs is printed; the right one is still swallowed.
    ASSERT_EQ(packet.sendPacket(0x12, std::vector{9, 0}, 0.2f), 0);
    port.feed(hex("55 FF 00 12 ED 08 F7 00 FF 1A E5"));
    ASSERT_TRUE(output.waitFor("Echo error: expecting 9, got 8\n"));
    port.feed(hex("55 FF 00 12 ED 09 F6 00 FF 1B E4") + framed({0xED, 0x01, 0x02}));
    EXPECT_EQ(packet.reply2Bytes(0x12, 0.2f), 0x0201);
    EXPECT_EQ(packet.messagesReceived(), 0) << "the host's own message is no brick's";
    EXPECT_EQ(output.text(), "Echo error: expecting 9, got 8\n");
    // An echo that never comes holds a send 7 bytes at 2400 bit/s and 0.2 s more.
    const auto silent = Clock::now();
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), 0);
    EXPECT_GE(Clock::now() - silent, 220ms);
    // Without an echo, the same bytes from the brick are a message.
    ScriptedPort quiet(false);
    RCXPacket withoutEcho(quiet);
    withoutEcho.startReadLoop();
    EXPECT_EQ(withoutEcho.sendPacket(0xF7, std::vector{5}, 0.2f), 0);
    quiet.feed(framed({0xF7, 0x05}));
    EXPECT_TRUE(waitUntil([&] { return withoutEcho.messagesReceived() == 1; }));
}

// The receive thread reads on a port replaced under a read and after a restart (that a restart still ends at
// the next read error, the block reply test shows); at the application's end it stops before the port closes.
TEST(PacketLife, TheReceiveThreadReadsOnAReplacedPortAndStopsWithoutAReadError)
{
    StdoutCapture output;
    auto* serial = new ScriptedPort;
    AllPorts ports{std::unique_ptr<Port>(serial), std::make_unique<ScriptedPort>(false)};
    ASSERT_EQ(ports.setPort(AllPorts::serialType, "", "first"), 0);
    RCXPacket packet(ports);
    packet.startReadLoop();
    ASSERT_TRUE(serial->waitUntilDrained());
    ASSERT_EQ(ports.setPort(AllPorts::serialType, "", "second"), 0);
    serial->feed(framed({0xF7, 5})); // the new port's first bytes: none may be lost
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    serial->setResponder([](const Bytes&) { return framed({0xEF}); });
    for (int restarted = 0; restarted < 2; ++restarted, packet.startReadLoop()) {
        ASSERT_TRUE(serial->waitUntilDrained());
        ASSERT_EQ(packet.sendPacket(0x10, {}, 0.2f), 0) << restarted;
        EXPECT_EQ(packet.replyCheck(0x10, 0.2f), 0) << restarted;
    }
    NoPort port;
    RCXPacket ending(port);
    ending.startReadLoop();
    ending.stopReadLoop();
    port.closePort();
    EXPECT_EQ(ending.sendPacket(0x10, {}, 0.0f), kIOReturnNotReady);
    EXPECT_EQ(ending.replyCheck(0x10, 0.2f), RCXPacket::linkSuspended);
    ending.startReadLoop();
    EXPECT_EQ(ending.sendPacket(0x10, {}, 0.0f), kIOReturnNotReady);
    EXPECT_EQ(output.text(), "") << "no read error";
}

} // namespace
