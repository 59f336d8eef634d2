// The command sender on a scripted tower: attempts, toggle bits, the values replies read as, what listeners are told.
#include "link/RCXSender.h"
#include "protocol/Opcodes.h"
#include "support/Recording.h"
#include "support/ScriptedPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace std::chrono_literals;

// The brick's reply opcode to a packet as written: its opcode's complement.
std::uint8_t replyOpcode(const Bytes& packet) { return static_cast<std::uint8_t>(~packet[3]); }

class SenderTest : public ::testing::Test {
protected:
    SenderTest() { packet.startReadLoop(), sender.addController(&second); }

    // A brick that answers every packet with `data` after the reply opcode, or is silent without data.
    void answerWith(const Bytes& data)
    {
        port.setResponder([data](const Bytes& written) { return data.empty() ? Bytes() : framed(Bytes{replyOpcode(written)} + data); });
    }
    std::vector<int> opcodesWritten()
    {
        std::vector<int> opcodes;
        for (const Bytes& written : port.writes())
            opcodes.push_back(written[3]);
        return opcodes;
    }
    // Timeouts and tower errors told so far, the same to both listeners.
    std::pair<int, int> told()
    {
        EXPECT_EQ(std::pair(first.timeouts.load(), first.towerErrors.load()), std::pair(second.timeouts.load(), second.towerErrors.load()));
        return {first.timeouts, first.towerErrors};
    }

    RecordingListener first, second;
    ScriptedPort port;
    RCXPacket packet{port};
    RCXSender sender{packet, &first};
};

TEST_F(SenderTest, ASilentBrickGetsThreeAttemptsWithOneToggleBitAndRepliesReadAsValues)
{
    sender.sendCode(0x10);
    EXPECT_EQ(opcodesWritten(), (std::vector<int>{0x18, 0x18, 0x18}));
    EXPECT_EQ(told(), std::pair(1, 0));
    EXPECT_EQ(first.thread, std::this_thread::get_id()) << "told on the calling thread";
    const std::uint8_t data[] = {1, 2, 3};
    const std::pair<Bytes, std::function<bool()>> cases[] = { // the answer (none when empty), the call and its value
        {{0x2C, 0x23}, [&] { return sender.sendCodeGet2(0x30) == 9004; }}, {{0x00, 0x80}, [&] { return sender.sendCodeGet2(0x30) == -32768; }},
        {{0xFE}, [&] { return sender.sendCodeGet1(0x52, {0x10, 0}) == 0xFE; }}, {{0x03}, [&] { return sender.sendBlock(2, 3, data) == 3; }},
        // A failure reads as a zero, or -1 for a block, but for the listeners.
        {{}, [&] { return sender.sendCodeGet2(0x30) == 0; }}, {{}, [&] { return sender.sendCodeGet1(0x52, {0x10, 0}) == 0; }},
        {{}, [&] { return sender.sendBlock(3, 3, data) == -1; }},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        answerWith(cases[i].first);
        EXPECT_TRUE(cases[i].second()) << "case " << i;
    }
    EXPECT_EQ(port.writes().size(), 3u + 4 + 3 * 3);
    EXPECT_EQ(told(), std::pair(4, 0));
}

TEST_F(SenderTest, FailuresToSendAreTowerErrorsAndABusyPortATimeout)
{
    std::vector<std::uint8_t> data(247);
    std::uint8_t types[1] = {5};
    std::uint16_t values[1] = {5};
    sender.sendBlock(1, 247, data.data()); // too large for a packet
    EXPECT_EQ(told(), std::pair(0, 1));
    port.failWrites(5);
    sender.sendCode(0x10);
    EXPECT_EQ(told(), std::pair(0, 2));
    port.failWrites(0);
    packet.block();
    sender.sendCode(0x10);
    sender.sendCodeNoReply(0xD2, {0, 0});
    EXPECT_EQ(told(), std::pair(0, 4));
    sender.uploadBlock(0, 1, types, values); // cannot set its length: zeros
    EXPECT_EQ(std::pair(told(), int(values[0])), std::pair(std::pair(1, 4), 0));
    packet.unblock();
    // A port busy reading a packet: a timeout, and a tower error too without a reply to wait for.
    port.stallReads(true);
    port.feed(hex("55 FF 00"));
    ASSERT_TRUE(port.waitUntilDrained());
    EXPECT_EQ(sender.sendBlock(1, 3, data.data()), -1);
    EXPECT_EQ(told(), std::pair(2, 4));
    sender.sendCodeNoReply(0xF7, {1});
    EXPECT_EQ(told(), std::pair(3, 5));
    EXPECT_TRUE(port.writes().empty());
}

TEST_F(SenderTest, ToggleBitsAlternateAndAfterALostExchangeTheNextCommandCannotBeTakenForARepeat)
{
    // A brick that answers alive commands, and others with `data`.
    const auto brick = [](Bytes data) {
        return [data](const Bytes& written) { return framed(Bytes{replyOpcode(written)} + (withoutToggle(written[3]) == Opcode::alive ? Bytes() : data)); };
    };
    port.setResponder(brick({1, 2}));
    sender.sendCode(0x10);
    sender.sendCode(0x10);
    sender.sendCodeNoReply(0xD2, {0, 8});
    sender.sendCodeNoReply(0xD2, {0, 0});
    sender.sendCodeGet2(0x12, {9, 0});
    port.setResponder({});
    sender.sendCodeGet2(0x12, {9, 1}); // lost: did the brick hear 0x12 last, or 0x1A?
    port.setResponder(brick({3, 4}));
    EXPECT_EQ(sender.sendCodeGet2(0x12, {9, 2}), 0x0403);
    // Neither toggle bit is safe: an alive command first. After a command
    // without reply the brick heard it or the last answered one: the other bit will do.
    sender.sendCodeGet2(0x12, {9, 0});
    sender.sendCodeNoReply(0xF7, {3});
    sender.sendCodeGet2(0x12, {9, 0});
    // When that alive command goes unanswered too, the command is not sent.
    port.setResponder({});
    sender.sendCodeGet2(0x12, {9, 1});
    sender.sendCodeGet2(0x12, {9, 2});
    EXPECT_EQ(opcodesWritten(), (std::vector<int>{0x18, 0x10, 0xD2, 0xD2, 0x1A, 0x12, 0x12, 0x12, 0x18, 0x12, 0x1A, 0xF7, 0x12,
                                                   0x1A, 0x1A, 0x1A, 0x10, 0x10, 0x10}));
    EXPECT_EQ(told(), std::pair(3, 0));
}

// Blocks and entries read into their arrays in the controller's memory map and datalog
// tests on the in-process brick; here what a packet cannot hold, and a failure.
TEST_F(SenderTest, BlocksAndDatalogEntriesFillTheirArraysOrZeros)
{
    std::vector<std::uint8_t> types(85, 7);
    std::vector<std::uint16_t> values(85, 7);
    // 84 entries fit a packet; 85 do not, and leave the arrays alone.
    answerWith(Bytes(3 * 84, 0x01));
    sender.uploadBlock(0x0102, 84, types.data(), values.data());
    EXPECT_EQ(unframed(port.writes().back()), (Bytes{0xA4, 0x02, 0x01, 84, 0x00}));
    EXPECT_EQ((std::vector<int>{types[83], values[83]}), (std::vector<int>{1, 0x0101}));
    StdoutCapture output;
    const std::size_t writes = port.writes().size();
    sender.uploadBlock(0, 85, types.data(), values.data());
    EXPECT_EQ(std::tuple(output.text(), port.writes().size(), types[84]), std::tuple("Packet too large\n", writes, 7));
    port.setResponder({});
    ASSERT_EQ(packet.setBlockLength(4, 0.2f), 0);
    std::uint8_t data[4] = {9, 9, 9, 9};
    sender.sendCodeGetBlock(0xA4, data, 4, {0, 0, 1, 0});
    EXPECT_EQ(Bytes(data, data + 4), hex("00 00 00 00")) << "zeros after a failure";
    EXPECT_EQ(told(), std::pair(1, 0));
    EXPECT_FLOAT_EQ(RCXSender::blockTimeout(252), 2.72f) << "block waits grow with the block";
}

} // namespace
