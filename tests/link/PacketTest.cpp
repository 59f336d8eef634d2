// The link layer on a scripted tower: the bytes on the wire, the receive
// loop against hostile byte streams, the echo, and the receive thread's life.
#include "link/ConditionLock.h"
#include "link/RCXPacket.h"
#include "ports/AllPorts.h"
#include "ports/NoPort.h"
#include "support/ScriptedPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(ConditionLock, IsTakenWhileFreeAndOfTheWantedConditionOrWaitsItsTime)
{
    ConditionLock lock(2);
    const auto start = Clock::now();
    EXPECT_FALSE(lock.lockWhenCondition(1, 0.2));
    EXPECT_GE(Clock::now() - start, 195ms);
    EXPECT_TRUE(lock.lockWhenCondition(2, 0.0));
    EXPECT_FALSE(lock.lockWhenCondition(2, 0.0)) << "held";
    lock.unlockWithCondition(1);
    EXPECT_EQ(lock.condition(), 1);
    EXPECT_TRUE(lock.lockWhenCondition(1, 0.0));
    lock.unlockWithCondition(2);
    // Setting the condition wakes a waiter without releasing what it takes.
    auto waiter = std::async(std::launch::async, [&] { return lock.lockWhenCondition(1); });
    lock.setCondition(1);
    EXPECT_TRUE(waiter.get());
    lock.setCondition(1);
    EXPECT_FALSE(lock.lockWhenCondition(1, 0.05));
    // Interrupting ends every wait.
    auto interrupted = std::async(std::launch::async, [&] { return lock.lockWhenCondition(3); });
    lock.interrupt();
    EXPECT_FALSE(interrupted.get());
    EXPECT_FALSE(lock.lock());
}

class PacketTest : public ::testing::Test {
protected:
    explicit PacketTest(bool echo = true) : port(echo) { packet.startReadLoop(); }

    // Sends the battery command (0x30) and lets `reply` follow its echo.
    void sendAndAnswer(const Bytes& reply)
    {
        port.setResponder([reply](const Bytes&) { return reply; });
        ASSERT_EQ(packet.sendPacket(0x30, {}, 0.2f), 0);
    }

    ScriptedPort port;
    RCXPacket packet{port};
};

TEST(PacketWire, CommandAndDownloadPacketsAsTheBrickExpectsThem)
{
    ScriptedPort port(false);
    RCXPacket packet(port);
    packet.startReadLoop();
    const std::uint8_t data[] = {0x01, 0x02};
    struct Case {
        bool toggled;
        std::function<IOReturn()> send;
        const char* wire;
    };
    const Case cases[] = {
        {false, [&] { return packet.sendPacket(0x10, {}, 0.2f); }, "55 FF 00 10 EF 10 EF"},
        {true, [&] { return packet.sendPacket(0x10, {}, 0.2f); }, "55 FF 00 18 E7 18 E7"},
        {false, [&] { return packet.sendPacket(0x12, std::vector{9, 0}, 0.2f); }, "55 FF 00 12 ED 09 F6 00 FF 1B E4"},
        {false, [&] { return packet.sendPacket(0x14, std::vector{3, 2, 0x34, 0x12}, 0.2f); },
         "55 FF 00 14 EB 03 FC 02 FD 34 CB 12 ED 5F A0"},
        // Low bits 6: no argument; 7: one; missing ones go as 0.
        {false, [&] { return packet.sendPacket(0x16, std::vector{1}, 0.2f); }, "55 FF 00 16 E9 16 E9"},
        {false, [&] { return packet.sendPacket(0x17, std::vector{0x20}, 0.2f); }, "55 FF 00 17 E8 20 DF 37 C8"},
        {false, [&] { return packet.sendPacket(0x13, std::vector{7}, 0.2f); }, "55 FF 00 13 EC 07 F8 00 FF 00 FF 1A E5"},
        // Only the low 8 bits of an argument go out; five arguments at most.
        {false, [&] { return packet.sendPacket(0x21, std::vector{0x134}, 0.2f); }, "55 FF 00 21 DE 34 CB 55 AA"},
        {false, [&] { return packet.sendPacket(0x75, std::vector{1, 2, 3, 4, 5, 6}, 0.2f); },
         "55 FF 00 75 8A 01 FE 02 FD 03 FC 04 FB 05 FA 84 7B"},
        {false, [&] { return packet.sendDLPacket(1, 2, data, 0.2f); },
         "55 FF 00 45 BA 01 FE 00 FF 02 FD 00 FF 01 FE 02 FD 03 FC 4E B1"},
        {true, [&] { return packet.sendDLPacket(0x0102, 0, data, 0.2f); },
         "55 FF 00 4D B2 02 FD 01 FE 00 FF 00 FF 00 FF 50 AF"},
    };
    for (const Case& c : cases) {
        port.clearWrites();
        packet.unToggle();
        if (c.toggled)
            packet.toggleNow();
        EXPECT_EQ(c.send(), 0) << c.wire;
        EXPECT_EQ(port.writes(), std::vector<Bytes>{hex(c.wire)}) << "one write per packet";
    }
    // 246 bytes are the largest block the echo record holds.
    port.clearWrites();
    const std::vector<std::uint8_t> block(247, 0x11);
    EXPECT_EQ(packet.sendDLPacket(1, 246, block.data(), 0.2f), 0);
    ASSERT_EQ(port.writes().size(), 1u);
    EXPECT_EQ(port.writes()[0].size(), 2u * 246 + 17);
    EXPECT_EQ(packet.sendDLPacket(1, 247, block.data(), 0.2f), kIOReturnOverrun);
    EXPECT_EQ(port.writes().size(), 1u) << "nothing written";
}

TEST_F(PacketTest, SendsAreRefusedWhileSuspendedAndPassWriteFailuresUp)
{
    const std::uint8_t data[300] = {};
    packet.block();
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), kIOReturnNotReady);
    EXPECT_EQ(packet.sendDLPacket(1, 300, data, 0.2f), kIOReturnNotReady) << "refused before the size";
    packet.unblock();
    port.failWrites(5);
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), 5);
    port.failWrites(0);
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), 0);
    EXPECT_EQ(port.writes().size(), 1u);
    // Before the receive thread reads, nothing goes out either.
    RCXPacket idle(port);
    EXPECT_EQ(idle.sendPacket(0x10, {}, 0.2f), kIOReturnNotReady);
}

TEST_F(PacketTest, ASendWaitsForTheEndOfAPacketBeingRead)
{
    port.stallReads(true);
    port.feed(hex("55 FF 00"));
    ASSERT_TRUE(port.waitUntilDrained());
    const auto start = Clock::now();
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), kIOReturnTimeout);
    EXPECT_GE(Clock::now() - start, 195ms);
    EXPECT_TRUE(port.writes().empty());
    // The rest of a message packet frees the port again.
    port.feed(hex("F7 08 05 FA FC 03"));
    EXPECT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), 0);
}

// What the tower delivers before the battery command and after its echo,
// what the wait for its reply gets, and what the receive thread prints.
struct Stream {
    const char* name;
    Bytes before;
    Bytes answer;
    int result;
    const char* printed = "";
    bool toggled = false;
    int length = 3; // the reply read: 2 replyByte, 3 reply2Bytes
};

const Bytes battery = hex("55 FF 00 CF 30 2C D3 23 DC 1E E1"); // 9004

const Stream streams[] = {
    {"the reply", {}, battery, 9004},
    {"toggled reply", {}, framed({0xC7, 0x2C, 0x23}), 9004, "", true},
    {"untoggled reply to a toggled command", {}, battery, RCXPacket::noReplyInTime, "", true},
    {"checksum", {}, hex("55 FF 00 CF 30 2C D3 23 DC 1F E0"), RCXPacket::noReplyInTime,
     "Checksum error: expecting 1e, got 1f\n"},
    {"data complement", {}, hex("55 FF 00 CF 30 2C D4 23 DC 1E E1"), RCXPacket::noReplyInTime,
     "Complement error: expecting d3, got d4\n"},
    {"checksum complement", {}, hex("55 FF 00 CF 30 2C D3 23 DC 1E E2"), RCXPacket::noReplyInTime,
     "Complement error: expecting e1, got e2\n"},
    {"opcode complement", {}, hex("55 FF 00 CF 31 2C D3 23 DC 1E E1"), RCXPacket::noReplyInTime,
     "Complement error: expecting 30, got 31\n"},
    {"noise before the header", {}, hex("00 12 55") + battery, 9004},
    {"replies of no known length", {}, framed({0xFE, 1}) + framed({0x9F, 1}) + framed({0x2D, 1}) + battery, 9004},
    {"a reply of the wrong length", {}, battery, RCXPacket::wrongLength, "", false, 2},
    // Late replies to commands given up neither hold the link nor answer.
    {"late replies before", framed({0xEF}) + framed({0xED, 1, 2}), battery, 9004},
    {"a late reply after", {}, framed({0xEF}) + battery, 9004},
    // The tail of a reply lost in the air: the packet is given up.
    {"a lost tail", hex("55 FF 00 CF 30 2C"), battery, 9004},
};

TEST_F(PacketTest, HostileByteStreamsGiveTheReplyOrNothing)
{
    for (const Stream& s : streams) {
        SCOPED_TRACE(s.name);
        StdoutCapture output;
        port.feed(s.before);
        ASSERT_TRUE(port.waitUntilDrained());
        packet.unToggle();
        if (s.toggled)
            packet.toggleNow();
        sendAndAnswer(s.answer);
        EXPECT_EQ(s.length == 2 ? packet.replyByte(0x30, 0.2f) : packet.reply2Bytes(0x30, 0.2f), s.result);
        ASSERT_TRUE(port.waitUntilDrained());
        EXPECT_EQ(output.text(), s.printed);
        // Nothing is left over, and the link still works.
        packet.unToggle();
        sendAndAnswer(framed({0xCF, 0x10, 0x27}));
        EXPECT_EQ(packet.reply2Bytes(0x30, 0.2f), 10000);
    }
}

TEST_F(PacketTest, BrokenMessagesAreDroppedAndTheNextHeaderFound)
{
    const struct {
        Bytes stream;
        int message;
        const char* printed;
    } cases[] = {
        {hex("55 FF 00 F7 08 05 FA FC 03"), 5, ""},
        {framed({0xFF, 0x07}), 7, ""}, // the toggled twin of the opcode
        {hex("55 FF 00 F7 08 05 FA FC 04") + hex("55 FF 00 F7 08 05 FA FD 02") + framed({0xF7, 9}), 9,
         "Complement error: expecting 3, got 4\nChecksum error: expecting fc, got fd\n"},
        {hex("55 FF 00 F7 08 05 55 FF 00 F7 08 06 F9 FD 02"), 6, "Complement error: expecting fa, got 55\n"},
    };
    for (int i = 0; i < 4; ++i) {
        StdoutCapture output;
        port.feed(cases[i].stream);
        ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == i + 1; })) << i;
        EXPECT_EQ(packet.getMessage(i, 0.2f), cases[i].message);
        ASSERT_TRUE(port.waitUntilDrained());
        EXPECT_EQ(output.text(), cases[i].printed);
    }
    EXPECT_EQ(packet.getMessage(4, 0.2f), RCXPacket::noSuchMessage);
    EXPECT_EQ(packet.getMessage(-1, 0.2f), RCXPacket::noSuchMessage);
}

TEST_F(PacketTest, TheRingKeepsTheLast1024Messages)
{
    Bytes stream;
    for (int i = 0; i < 1025; ++i)
        stream = stream + framed({0xF7, static_cast<std::uint8_t>(i % 256)});
    port.feed(stream);
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1025; }));
    // A broken message does not take the slot of the oldest one held.
    port.feed(hex("55 FF 00 F7 08 63 9C 00 FF"));
    ASSERT_TRUE(port.waitUntilDrained());
    EXPECT_EQ(packet.messagesReceived(), 1025);
    EXPECT_EQ(packet.oldestHeldMessage(), 1);
    EXPECT_EQ(packet.getMessage(0, 0.2f), RCXPacket::noSuchMessage);
    EXPECT_EQ(packet.getMessage(1, 0.2f), 1) << "exactly 1024 behind: the oldest kept";
    EXPECT_EQ(packet.getMessage(1024, 0.2f), 0);
    EXPECT_EQ(packet.getMessage(1025, 0.2f), RCXPacket::noSuchMessage);
}

TEST_F(PacketTest, ABlockReplyTakesTheLengthSetBeforehandUpToTheReplyRecord)
{
    EXPECT_EQ(packet.setBlockLength(256, 0.2f), RCXPacket::wrongLength);
    EXPECT_EQ(packet.setBlockLength(-1, 0.2f), RCXPacket::wrongLength);
    for (int length : {15, 255}) {
        ASSERT_EQ(packet.setBlockLength(length, 0.2f), 0);
        Bytes reply = {0x5B};
        for (int i = 1; i <= length; ++i)
            reply.push_back(static_cast<std::uint8_t>(i));
        port.setResponder([&](const Bytes&) { return framed(reply); });
        ASSERT_EQ(packet.sendPacket(0xA4, std::vector{0, 0, length / 3, 0}, 0.2f), 0);
        std::uint8_t data[255] = {};
        EXPECT_EQ(packet.replyBlock(0xA4, length, data, 2.75f), 0);
        EXPECT_EQ(Bytes(data, data + length), Bytes(reply.begin() + 1, reply.end()));
    }
}

TEST_F(PacketTest, ASuspendedLinkFailsEveryReplyWaitButKeepsMessages)
{
    port.feed(framed({0xF7, 0x2A}));
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    packet.block();
    std::uint8_t data[3];
    EXPECT_EQ(packet.replyCheck(0x10, 0.2f), RCXPacket::linkSuspended);
    EXPECT_EQ(packet.replyByte(0x12, 0.2f), RCXPacket::linkSuspended);
    EXPECT_EQ(packet.reply2Bytes(0x30, 0.2f), RCXPacket::linkSuspended);
    EXPECT_EQ(packet.replyBlock(0xA4, 3, data, 0.2f), RCXPacket::linkSuspended);
    EXPECT_EQ(packet.setBlockLength(3, 0.2f), RCXPacket::linkSuspended);
    EXPECT_EQ(packet.getMessage(0, 0.2f), 0x2A);
    packet.startReadLoop();
    port.setResponder([](const Bytes&) { return framed({0xEF}); });
    ASSERT_EQ(packet.sendPacket(0x10, {}, 0.2f), 0);
    EXPECT_EQ(packet.replyCheck(0x10, 0.2f), 0);
}

TEST_F(PacketTest, AReadErrorStopsTheThreadAndReleasesItsLocksUntilItIsStartedAgain)
{
    StdoutCapture output;
    port.feed(hex("55 FF 00 F7 08")); // inside a message
    ASSERT_TRUE(port.waitUntilDrained());
    port.failRead(0x1234);
    ASSERT_TRUE(output.waitFor("Error: 1234\n"));
    EXPECT_TRUE(waitUntil([&] { return packet.sendPacket(0x10, {}, 0.2f) == kIOReturnNotReady; }));
    const std::uint8_t data[] = {1};
    EXPECT_EQ(packet.sendDLPacket(1, 1, data, 0.2f), kIOReturnNotReady);
    packet.startReadLoop();
    port.feed(framed({0xF7, 0x03}));
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    EXPECT_EQ(packet.getMessage(0, 0.2f), 3) << "the message lock was released";
    sendAndAnswer(battery);
    EXPECT_EQ(packet.reply2Bytes(0x30, 0.2f), 9004);
}

TEST_F(PacketTest, TheEchoOfEachPacketIsSwallowedEvenOnASlowLine)
{
    StdoutCapture output;
    // A line on which each echo comes 20 ms after its write, and the echo of
    // a 20-byte block (57 bytes, 261 ms at 2400 bit/s) 300 ms after. Each
    // send returns only once its echo is in, so the next packet never
    // replaces an echo record still awaited, and the host's own message is
    // not taken for the brick's.
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
    ASSERT_TRUE(port.waitUntilDrained());
    EXPECT_EQ(packet.messagesReceived(), 0);
    EXPECT_EQ(output.text(), "");
    // An echo that never comes holds a send 7 bytes at 11 bits and
    // 2400 bit/s, and 0.2 s more.
    const auto silent = Clock::now();
    EXPECT_EQ(packet.sendPacket(0x10, {}, 0.2f), 0);
    EXPECT_GE(Clock::now() - silent, 220ms);
}

TEST_F(PacketTest, AnEchoThatDiffersIsPrintedAndTheRightOneStillSwallowed)
{
    StdoutCapture output;
    port.deliverEcho(false);
    ASSERT_EQ(packet.sendPacket(0x12, std::vector{9, 0}, 0.2f), 0);
    port.feed(hex("55 FF 00 12 ED 08 F7 00 FF 1A E5"));
    ASSERT_TRUE(output.waitFor("Echo error: expecting 9, got 8\n"));
    port.feed(hex("55 FF 00 12 ED 09 F6 00 FF 1B E4") + framed({0xED, 0x01, 0x02}));
    EXPECT_EQ(packet.reply2Bytes(0x12, 0.2f), 0x0201);
    EXPECT_EQ(output.text(), "Echo error: expecting 9, got 8\n");
}

TEST(PacketWithoutEcho, TheSamePacketFromTheBrickIsAMessage)
{
    ScriptedPort port(false);
    RCXPacket packet(port);
    packet.startReadLoop();
    EXPECT_EQ(packet.sendPacket(0xF7, std::vector{5}, 0.2f), 0);
    port.feed(framed({0xF7, 0x05}));
    EXPECT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    EXPECT_EQ(packet.getMessage(0, 0.2f), 5);
}

TEST(PacketOnPortList, APortReplacedUnderAReadIsReadOnButAPlainRestartEndsAtTheNextError)
{
    StdoutCapture output;
    auto* serial = new ScriptedPort;
    AllPorts ports{std::unique_ptr<Port>(serial), std::make_unique<ScriptedPort>(false)};
    ASSERT_EQ(ports.setPort(AllPorts::serialType, "", "first"), 0);
    RCXPacket packet(ports);
    packet.startReadLoop();
    ASSERT_TRUE(serial->waitUntilDrained());
    ASSERT_EQ(ports.setPort(AllPorts::serialType, "", "second"), 0);
    packet.startReadLoop();
    serial->setResponder([](const Bytes&) { return framed({0xEF}); });
    ASSERT_EQ(packet.sendPacket(0x10, {}, 0.2f), 0);
    EXPECT_EQ(packet.replyCheck(0x10, 0.2f), 0);
    EXPECT_EQ(output.text(), "") << "no read error";
    packet.startReadLoop(); // as after an error sheet, the port unchanged
    serial->failRead(0x5);
    ASSERT_TRUE(output.waitFor("Error: 5\n"));
    EXPECT_TRUE(waitUntil([&] { return packet.sendPacket(0x10, {}, 0.2f) == kIOReturnNotReady; }));
}

TEST(PacketLifetime, DestroyingThePacketEndsItsThreadInEveryState)
{
    for (int round = 0; round < 5; ++round)
        for (int state = 0; state < 4; ++state) {
            ScriptedPort port;
            RCXPacket packet(port); // state 0: never started
            if (state > 0)
                packet.startReadLoop();
            if (state == 2)
                port.feed(hex("55 FF 00 EF")); // inside a packet
            if (state == 3)
                port.failRead(1);
            ASSERT_TRUE(state == 3 ? waitUntil([&] { return packet.sendPacket(0x10, {}, 0.0f) == kIOReturnNotReady; })
                                   : state == 0 || port.waitUntilDrained());
        }
}

TEST(PacketLifetime, TheNullPortPrintsWritesReadsNothingAndFailsReadsOnceClosed)
{
    NoPort port;
    StdoutCapture output;
    auto packet = std::make_unique<RCXPacket>(port);
    packet->startReadLoop();
    EXPECT_EQ(packet->sendPacket(0x10, {}, 0.2f), 0);
    EXPECT_EQ(packet->replyCheck(0x10, 0.2f), RCXPacket::noReplyInTime);
    EXPECT_EQ(output.text(), "Writing 55 ff  0 10 ef 10 ef\n");
    packet.reset(); // ends its thread, which waits in the null port's read
    NoPort other;
    RCXPacket closed(other);
    closed.startReadLoop();
    ASSERT_TRUE(waitUntil([&] {
        other.closePort();
        return output.text().find("Error: e00002d8\n") != std::string::npos;
    }));
    EXPECT_TRUE(waitUntil([&] { return closed.sendPacket(0x10, {}, 0.0f) == kIOReturnNotReady; }));
}

} // namespace
