#include "link/RCXPacket.h"
#include "ports/AllPorts.h"
#include "ports/NoPort.h"
#include "support/ScriptedPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>

namespace {

using namespace std::chrono_literals;

class ReceiveTest : public ::testing::Test {
protected:
    ReceiveTest() { packet.startReadLoop(); }

    // Sends `opcode` and lets the brick's `reply` follow the echo.
    void sendAndAnswer(int opcode, std::vector<int> arguments, const Bytes& reply)
    {
        port.setResponder([reply](const Bytes&) { return reply; });
        ASSERT_EQ(packet.sendPacket(opcode, arguments, 0.2f), 0);
    }

    StdoutCapture output;
    ScriptedPort port;
    RCXPacket packet{port};
};

TEST_F(ReceiveTest, TheEchoIsSwallowedAndTheReplyHandedOver)
{
    sendAndAnswer(0x10, {}, hex("55 FF 00 EF 10 EF 10"));
    EXPECT_EQ(packet.replyCheck(0x10, 0.2f), 0);
    EXPECT_EQ(output.text(), "");
}

TEST_F(ReceiveTest, ATwoByteReplyIsLittleEndian)
{
    sendAndAnswer(0x30, {}, hex("55 FF 00 CF 30 2C D3 23 DC 1E E1"));
    EXPECT_EQ(packet.reply2Bytes(0x30, 0.2f), 9004);
}

TEST_F(ReceiveTest, ARepliesOpcodeCarriesTheToggleBit)
{
    packet.toggleNow();
    sendAndAnswer(0x30, {}, framed({0xC7, 0x2C, 0x23}));
    EXPECT_EQ(packet.reply2Bytes(0x30, 0.2f), 9004);
    // The same reply without the toggle bit answers another command.
    sendAndAnswer(0x30, {}, framed({0xCF, 0x2C, 0x23}));
    EXPECT_EQ(packet.reply2Bytes(0x30, 0.2f), RCXPacket::noReplyInTime);
}

TEST_F(ReceiveTest, ABrokenReplyIsPrintedAndNeverHandedOver)
{
    struct Case {
        const char* reply;
        const char* printed;
    };
    const Case cases[] = {
        {"55 FF 00 CF 30 2C D3 23 DC 1F E0", "Checksum error: expecting 1e, got 1f\n"},
        {"55 FF 00 CF 30 2C D4 23 DC 1E E1", "Complement error: expecting d3, got d4\n"},
        {"55 FF 00 CF 30 2C D3 23 DC 1E E2", "Complement error: expecting e1, got e2\n"},
        {"55 FF 00 CF 31 2C D3 23 DC 1E E1", "Complement error: expecting 30, got 31\n"},
    };
    for (const Case& c : cases) {
        sendAndAnswer(0x30, {}, hex(c.reply));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(packet.reply2Bytes(0x30, 0.2f), RCXPacket::noReplyInTime) << c.reply;
        EXPECT_GE(std::chrono::steady_clock::now() - start, 195ms);
        ASSERT_TRUE(port.waitUntilDrained());
        EXPECT_TRUE(output.waitFor(c.printed)) << c.printed;
    }
    // The link still works.
    sendAndAnswer(0x30, {}, framed({0xCF, 0x10, 0x27}));
    EXPECT_EQ(packet.reply2Bytes(0x30, 0.2f), 10000);
}

TEST_F(ReceiveTest, AnEchoThatDiffersIsPrintedAndDropped)
{
    port.deliverEcho(false);
    ASSERT_EQ(packet.sendPacket(0x12, std::vector<int>{9, 0}, 0.2f), 0);
    port.feed(hex("55 FF 00 12 ED 08 F7 00 FF 1A E5"));
    ASSERT_TRUE(output.waitFor("Echo error: expecting 9, got 8\n"));
    // The echo record is kept: the right echo is still swallowed, and the
    // brick's reply after it handed over.
    port.feed(hex("55 FF 00 12 ED 09 F6 00 FF 1B E4"));
    port.feed(framed({0xED, 0x01, 0x02}));
    EXPECT_EQ(packet.reply2Bytes(0x12, 0.2f), 0x0201);
    EXPECT_EQ(output.text(), "Echo error: expecting 9, got 8\n");
}

TEST_F(ReceiveTest, MessagesGoToTheRing)
{
    port.feed(hex("55 FF 00 F7 08 05 FA FC 03"));
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    EXPECT_EQ(packet.getMessage(0, 0.2f), 5);
    EXPECT_EQ(packet.getMessage(1, 0.2f), RCXPacket::noSuchMessage);
    EXPECT_EQ(packet.getMessage(-1, 0.2f), RCXPacket::noSuchMessage);
    // The toggled twin of the message opcode is a message too.
    port.feed(framed({0xFF, 0x07}));
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 2; }));
    EXPECT_EQ(packet.getMessage(1, 0.2f), 7);
}

TEST_F(ReceiveTest, ABrokenMessageIsDroppedAndItsSlotReused)
{
    port.feed(hex("55 FF 00 F7 08 05 FA FC 04"));
    port.feed(hex("55 FF 00 F7 08 05 FA FD 02"));
    port.feed(framed({0xF7, 0x09}));
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    EXPECT_EQ(packet.getMessage(0, 0.2f), 9);
    EXPECT_TRUE(output.waitFor("Complement error: expecting 3, got 4\n"));
    EXPECT_TRUE(output.waitFor("Checksum error: expecting fc, got fd\n"));
}

TEST_F(ReceiveTest, TheRingKeepsTheLastThousandAndTwentyFourMessages)
{
    Bytes stream;
    for (int i = 0; i < 1025; ++i) {
        const Bytes message = framed({0xF7, static_cast<std::uint8_t>(i % 256)});
        stream.insert(stream.end(), message.begin(), message.end());
    }
    port.feed(stream);
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1025; }));
    // A broken message does not take the slot of the oldest one held.
    port.feed(hex("55 FF 00 F7 08 63 9C 00 FF"));
    ASSERT_TRUE(port.waitUntilDrained());
    EXPECT_EQ(packet.messagesReceived(), 1025);
    EXPECT_EQ(packet.getMessage(0, 0.2f), RCXPacket::noSuchMessage) << "1025 behind";
    EXPECT_EQ(packet.getMessage(1, 0.2f), 1) << "exactly 1024 behind: the oldest kept";
    EXPECT_EQ(packet.getMessage(1024, 0.2f), 0);
    EXPECT_EQ(packet.getMessage(1025, 0.2f), RCXPacket::noSuchMessage);
}

TEST_F(ReceiveTest, NoiseBeforeAHeaderIsSkipped)
{
    sendAndAnswer(0x10, {}, hex("00 12 55 FF 00 EF 10 EF 10"));
    EXPECT_EQ(packet.replyCheck(0x10, 0.2f), 0);
    sendAndAnswer(0x10, {}, hex("55 55 FF 00 EF 10 EF 10"));
    EXPECT_EQ(packet.replyCheck(0x10, 0.2f), 0) << "a repeated 0x55 still starts the header";
    EXPECT_EQ(output.text(), "");
}

TEST_F(ReceiveTest, AHeaderAmongTheLastBytesOfABrokenPacketIsPickedUp)
{
    // The complement of the first data byte is wrong and is itself 0x55,
    // followed by 0xFF: a new header begins there.
    port.feed(hex("55 FF 00 F7 08 05 55 FF 00 F7 08 06 F9 FD 02"));
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    EXPECT_EQ(packet.getMessage(0, 0.2f), 6);
    EXPECT_TRUE(output.waitFor("Complement error: expecting fa, got 55\n"));
}

TEST_F(ReceiveTest, RepliesWithNoKnownLengthAreDropped)
{
    for (std::uint8_t command : {0x01, 0x60, 0xD2}) {
        // The reply to `command`, then a good one: only the good one arrives.
        sendAndAnswer(0x10, {}, framed({static_cast<std::uint8_t>(~command & 0xFF), 0x01}));
        port.feed(framed({0xEF}));
        EXPECT_EQ(packet.replyCheck(0x10, 0.5f), 0) << std::hex << int(command);
    }
}

TEST_F(ReceiveTest, ABlockReplyTakesTheLengthSetBeforehand)
{
    ASSERT_EQ(packet.setBlockLength(15, 0.2f), 0);
    Bytes reply = {0x5B};
    for (std::uint8_t i = 1; i <= 15; ++i)
        reply.push_back(i);
    sendAndAnswer(0xA4, {0, 0, 5, 0}, framed(reply));
    std::uint8_t data[15] = {};
    EXPECT_EQ(packet.replyBlock(0xA4, 15, data, 0.35f), 0);
    EXPECT_EQ(Bytes(data, data + 15), Bytes(reply.begin() + 1, reply.end()));
}

TEST_F(ReceiveTest, ABlockLengthBeyondTheReplyRecordIsRefused)
{
    EXPECT_EQ(packet.setBlockLength(256, 0.2f), RCXPacket::wrongLength);
    EXPECT_EQ(packet.setBlockLength(-1, 0.2f), RCXPacket::wrongLength);
    ASSERT_EQ(packet.setBlockLength(255, 0.2f), 0);
    Bytes reply(256, 0x11);
    reply[0] = 0x5B;
    sendAndAnswer(0xA4, {0, 0, 85, 0}, framed(reply));
    std::uint8_t data[255];
    EXPECT_EQ(packet.replyBlock(0xA4, 255, data, 2.75f), 0);
    EXPECT_EQ(data[254], 0x11);
}

TEST_F(ReceiveTest, AReplyOfTheWrongLengthIsConsumed)
{
    sendAndAnswer(0x12, {9, 0}, framed({0xED, 0x01, 0x02}));
    EXPECT_EQ(packet.replyByte(0x12, 0.2f), RCXPacket::wrongLength) << "three bytes where two were due";
    EXPECT_EQ(packet.replyByte(0x12, 0.1f), RCXPacket::noReplyInTime) << "and it is gone";
}

TEST_F(ReceiveTest, ASuspendedLinkFailsEveryReplyWaitButKeepsMessages)
{
    port.feed(framed({0xF7, 0x2A}));
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    packet.block();
    EXPECT_EQ(packet.replyCheck(0x10, 0.2f), RCXPacket::linkSuspended);
    EXPECT_EQ(packet.replyByte(0x12, 0.2f), RCXPacket::linkSuspended);
    EXPECT_EQ(packet.reply2Bytes(0x30, 0.2f), RCXPacket::linkSuspended);
    std::uint8_t data[3];
    EXPECT_EQ(packet.replyBlock(0xA4, 3, data, 0.2f), RCXPacket::linkSuspended);
    EXPECT_EQ(packet.setBlockLength(3, 0.2f), RCXPacket::linkSuspended);
    EXPECT_EQ(packet.getMessage(0, 0.2f), 0x2A);
    packet.startReadLoop();
    sendAndAnswer(0x10, {}, framed({0xEF}));
    EXPECT_EQ(packet.replyCheck(0x10, 0.2f), 0);
}

TEST_F(ReceiveTest, RepliesNobodyWaitsForNeitherHoldTheLinkNorAnswerLaterCommands)
{
    // Two late replies, to commands the host gave up: the link stays free
    // for the next command, whose own reply is the one taken.
    port.feed(framed({0xEF}));
    port.feed(framed({0xCF, 0x2C, 0x23}));
    ASSERT_TRUE(port.waitUntilDrained());
    sendAndAnswer(0x12, {9, 0}, framed({0xED, 0x34, 0x12}));
    EXPECT_EQ(packet.reply2Bytes(0x12, 0.2f), 0x1234);
    // A late reply that comes after the command was sent is passed over.
    port.setResponder([](const Bytes&) {
        Bytes replies = framed({0xEF});
        const Bytes own = framed({0xED, 0x78, 0x56});
        replies.insert(replies.end(), own.begin(), own.end());
        return replies;
    });
    ASSERT_EQ(packet.sendPacket(0x12, std::vector<int>{9, 1}, 0.2f), 0);
    EXPECT_EQ(packet.reply2Bytes(0x12, 0.2f), 0x5678);
}

TEST_F(ReceiveTest, APacketWhoseLastBytesNeverComeIsGivenUp)
{
    // The tail of a reply is lost in the air: the next command still goes
    // out, and its reply is taken.
    port.feed(hex("55 FF 00 CF 30 2C"));
    ASSERT_TRUE(port.waitUntilDrained());
    sendAndAnswer(0x10, {}, framed({0xEF}));
    EXPECT_EQ(packet.replyCheck(0x10, 0.2f), 0);
}

TEST_F(ReceiveTest, AReadErrorStopsTheThreadUntilItIsStartedAgain)
{
    port.failRead(0x1234);
    ASSERT_TRUE(output.waitFor("Error: 1234\n"));
    EXPECT_TRUE(waitUntil([&] { return packet.sendPacket(0x10, {}, 0.2f) == kIOReturnNotReady; }));
    const std::uint8_t data[] = {1};
    EXPECT_EQ(packet.sendDLPacket(1, 1, data, 0.2f), kIOReturnNotReady);
    port.clearWrites();
    packet.startReadLoop();
    sendAndAnswer(0x10, {}, framed({0xEF}));
    EXPECT_EQ(packet.replyCheck(0x10, 0.2f), 0);
}

TEST_F(ReceiveTest, AReadErrorInsideAPacketReleasesItsLock)
{
    port.feed(hex("55 FF 00 F7 08"));
    ASSERT_TRUE(port.waitUntilDrained());
    port.failRead(0x77);
    ASSERT_TRUE(output.waitFor("Error: 77\n"));
    packet.startReadLoop();
    port.feed(framed({0xF7, 0x03}));
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    EXPECT_EQ(packet.getMessage(0, 0.2f), 3) << "the message lock was released";
}

// The link on the port list, as the application has it, with a scripted
// serial tower.
class ReceiveOnPortList : public ::testing::Test {
protected:
    ReceiveOnPortList()
    {
        EXPECT_EQ(ports.setPort(AllPorts::serialType, "", "first"), 0);
        packet.startReadLoop();
        EXPECT_TRUE(serial.waitUntilDrained());
    }

    StdoutCapture output;
    ScriptedPort& serial = *new ScriptedPort;
    AllPorts ports{std::unique_ptr<Port>(&serial), std::make_unique<ScriptedPort>(false)};
    RCXPacket packet{ports};
};

TEST_F(ReceiveOnPortList, APortReplacedUnderAReadIsReadOn)
{
    ASSERT_EQ(ports.setPort(AllPorts::serialType, "", "second"), 0);
    packet.startReadLoop();
    serial.setResponder([](const Bytes&) { return framed({0xEF}); });
    ASSERT_EQ(packet.sendPacket(0x10, {}, 0.2f), 0);
    EXPECT_EQ(packet.replyCheck(0x10, 0.2f), 0);
    EXPECT_EQ(output.text(), "") << "no read error";
}

TEST_F(ReceiveOnPortList, ARestartWithoutReopeningDoesNotOutliveTheNextReadError)
{
    packet.startReadLoop(); // as after an error sheet, the port unchanged
    serial.failRead(0x5);
    ASSERT_TRUE(output.waitFor("Error: 5\n"));
    EXPECT_TRUE(waitUntil([&] { return packet.sendPacket(0x10, {}, 0.2f) == kIOReturnNotReady; }));
}

TEST(ReceiveLifetime, DestroyingThePacketEndsItsThreadInEveryState)
{
    for (int round = 0; round < 20; ++round) {
        {
            ScriptedPort port;
            RCXPacket waiting(port); // never started
        }
        {
            ScriptedPort port;
            RCXPacket reading(port);
            reading.startReadLoop();
            ASSERT_TRUE(port.waitUntilDrained());
        }
        {
            ScriptedPort port;
            RCXPacket holding(port);
            holding.startReadLoop();
            port.feed(hex("55 FF 00 EF")); // inside a packet
            ASSERT_TRUE(port.waitUntilDrained());
        }
        {
            ScriptedPort port;
            RCXPacket stopped(port);
            stopped.startReadLoop();
            port.failRead(1);
            ASSERT_TRUE(waitUntil([&] { return stopped.sendPacket(0x10, {}, 0.0f) == kIOReturnNotReady; }));
        }
    }
}

TEST(ReceiveLifetime, AThreadReadingTheNullPortSleepsAndEnds)
{
    NoPort port;
    StdoutCapture output;
    auto packet = std::make_unique<RCXPacket>(port);
    packet->startReadLoop();
    // Sends print their line and count as written; nothing comes back.
    EXPECT_EQ(packet->sendPacket(0x10, {}, 0.2f), 0);
    EXPECT_EQ(packet->replyCheck(0x10, 0.2f), RCXPacket::noReplyInTime);
    EXPECT_EQ(output.text(), "Writing 55 ff  0 10 ef 10 ef\n");
    packet.reset(); // ends its thread, which waits in the null port's read
}

TEST(ReceiveLifetime, ClosingTheNullPortEndsTheReadWithAnError)
{
    NoPort port;
    StdoutCapture output;
    RCXPacket packet(port);
    packet.startReadLoop();
    ASSERT_TRUE(waitUntil([&] {
        port.closePort();
        return output.text().find("Error: e00002d8\n") != std::string::npos;
    }));
    EXPECT_TRUE(waitUntil([&] { return packet.sendPacket(0x10, {}, 0.0f) == kIOReturnNotReady; }));
}

} // namespace
