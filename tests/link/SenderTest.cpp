// The command sender on a scripted tower: attempts, toggle bits, the values
// replies read as, and what the listeners are told.
#include "link/RCXSender.h"
#include "link/PacketTables.h"
#include "support/Recording.h"
#include "support/ScriptedPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace std::chrono_literals;

// The brick's reply opcode to a packet as written: its opcode's complement.
std::uint8_t replyOpcode(const Bytes& packet)
{
    return static_cast<std::uint8_t>(~packet[3]);
}

class SenderTest : public ::testing::Test {
protected:
    SenderTest()
    {
        packet.startReadLoop();
        sender.addController(&second);
    }

    // A brick that answers every packet with `data` after the reply opcode.
    void answerWith(const Bytes& data)
    {
        port.setResponder([data](const Bytes& written) { return framed(Bytes{replyOpcode(written)} + data); });
    }
    std::vector<int> opcodesWritten()
    {
        std::vector<int> opcodes;
        for (const Bytes& written : port.writes())
            opcodes.push_back(written[3]);
        return opcodes;
    }
    // Timeouts and tower errors told, each to both listeners.
    void expectTold(int timeouts, int towerErrors)
    {
        for (const RecordingListener* listener : {&first, &second}) {
            EXPECT_EQ(listener->timeouts, timeouts);
            EXPECT_EQ(listener->towerErrors, towerErrors);
        }
    }

    RecordingListener first;
    RecordingListener second;
    ScriptedPort port;
    RCXPacket packet{port};
    RCXSender sender{packet, &first};
};

TEST_F(SenderTest, ASilentBrickGetsThreeAttemptsWithOneToggleBit)
{
    const auto start = std::chrono::steady_clock::now();
    sender.sendCode(0x10);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 3 * 195ms);
    EXPECT_EQ(opcodesWritten(), (std::vector<int>{0x18, 0x18, 0x18}));
    expectTold(1, 0);
    EXPECT_EQ(first.thread, std::this_thread::get_id()) << "told on the calling thread";
}

TEST_F(SenderTest, RepliesReadAsSignedWordsBytesAndStatuses)
{
    const std::uint8_t data[] = {1, 2, 3};
    const struct {
        std::optional<Bytes> answer;
        std::function<int(RCXSender&)> call;
        int value;
    } cases[] = {
        {Bytes{0x2C, 0x23}, [](RCXSender& s) { return s.sendCodeGet2(0x30); }, 9004},
        {Bytes{0xFF, 0xFF}, [](RCXSender& s) { return s.sendCodeGet2(0x30); }, -1},
        {Bytes{0x00, 0x80}, [](RCXSender& s) { return s.sendCodeGet2(0x30); }, -32768},
        {Bytes{0xFE}, [](RCXSender& s) { return s.sendCodeGet1(0x52, {0x10, 0}); }, 0xFE},
        {Bytes{0x00}, [&](RCXSender& s) { return s.sendBlock(1, 3, data); }, 0},
        {Bytes{0x03}, [&](RCXSender& s) { return s.sendBlock(2, 3, data); }, 3},
        // A failure reads as a zero, or -1 for a block, but for the listeners.
        {std::nullopt, [](RCXSender& s) { return s.sendCodeGet2(0x30); }, 0},
        {std::nullopt, [](RCXSender& s) { return s.sendCodeGet1(0x52, {0x10, 0}); }, 0},
        {std::nullopt, [&](RCXSender& s) { return s.sendBlock(3, 3, data); }, -1},
    };
    int attempts = 0;
    for (const auto& c : cases) {
        if (c.answer)
            answerWith(*c.answer);
        else
            port.setResponder({});
        EXPECT_EQ(c.call(sender), c.value);
        attempts += c.answer ? 1 : 3;
    }
    EXPECT_EQ(port.writes().size(), static_cast<std::size_t>(attempts));
    expectTold(3, 0);
}

TEST_F(SenderTest, WhatTheListenersAreToldOfAFailure)
{
    std::vector<std::uint8_t> data(247);
    std::uint8_t types[1] = {5};
    std::uint16_t values[1] = {5};
    sender.sendBlock(1, 247, data.data()); // too large for a packet
    expectTold(0, 1);
    port.failWrites(5);
    sender.sendCode(0x10);
    expectTold(0, 2);
    port.failWrites(0);
    packet.block();
    sender.sendCode(0x10);
    sender.sendCodeNoReply(0xD2, {0, 0});
    expectTold(0, 4);
    sender.uploadBlock(0, 1, types, values); // cannot set its length
    expectTold(1, 4);
    EXPECT_EQ(values[0], 0) << "zeros";
    packet.unblock();
    // A port busy with a packet being read is a timeout; without a reply to
    // wait for, a tower error too.
    port.stallReads(true);
    port.feed(hex("55 FF 00"));
    ASSERT_TRUE(port.waitUntilDrained());
    sender.sendCode(0x10);
    expectTold(2, 4);
    sender.sendCodeNoReply(0xF7, {1});
    expectTold(3, 5);
    EXPECT_TRUE(port.writes().empty());
}

TEST_F(SenderTest, ToggleBitsAlternateAndNoReplyCommandsGoWithoutIt)
{
    answerWith({});
    sender.sendCode(0x10);
    sender.sendCode(0x10);
    sender.sendCodeNoReply(0xF7, {3});
    sender.sendCode(0x10);
    sender.sendCodeNoReply(0xD2, {0, 8});
    sender.sendCodeNoReply(0xD2, {0, 0});
    EXPECT_EQ(opcodesWritten(), (std::vector<int>{0x18, 0x10, 0xF7, 0x18, 0xD2, 0xD2}));
    expectTold(0, 0);
}

TEST_F(SenderTest, AfterALostExchangeTheNextOneCannotBeTakenForARepeat)
{
    answerWith({1, 2});
    sender.sendCodeGet2(0x12, {9, 0});
    port.setResponder({});
    sender.sendCodeGet2(0x12, {9, 1}); // lost: did the brick hear 0x12 last, or 0x1A?
    port.setResponder([](const Bytes& written) {
        const bool alive = (written[3] & 0xF7) == 0x10;
        return alive ? framed({replyOpcode(written)}) : framed({replyOpcode(written), 3, 4});
    });
    EXPECT_EQ(sender.sendCodeGet2(0x12, {9, 2}), 0x0403);
    // Neither toggle bit is safe: the brick answers an alive command first.
    EXPECT_EQ(opcodesWritten(), (std::vector<int>{0x1A, 0x12, 0x12, 0x12, 0x18, 0x12}));
    // After a command without reply, which may be lost, the brick heard it
    // or the last command answered: the other toggle bit will do.
    sender.sendCodeGet2(0x12, {9, 0});
    sender.sendCodeNoReply(0xF7, {3});
    sender.sendCodeGet2(0x12, {9, 0});
    const std::vector<int> written = opcodesWritten();
    EXPECT_EQ(std::vector<int>(written.end() - 3, written.end()), (std::vector<int>{0x1A, 0xF7, 0x12}));
}

TEST_F(SenderTest, ALongPacketOnASlowLineIsAnsweredAtTheFirstAttempt)
{
    // The echo and the reply come 300 ms after the write, longer than the
    // reply wait: the wait starts only once the echo is in.
    port.deliverEcho(false);
    std::thread line([this] {
        ASSERT_TRUE(port.waitForWrites(1));
        std::this_thread::sleep_for(300ms);
        const Bytes written = port.writes()[0];
        port.feed(written + framed({replyOpcode(written), 0x00}));
    });
    const std::uint8_t data[20] = {};
    EXPECT_EQ(sender.sendBlock(1, 20, data), 0);
    line.join();
    EXPECT_EQ(port.writes().size(), 1u);
    expectTold(0, 0);
}

TEST_F(SenderTest, BlocksAndDatalogEntriesFillTheirArraysOrZeros)
{
    answerWith({1, 2, 3, 4});
    ASSERT_EQ(packet.setBlockLength(4, 0.2f), 0);
    std::uint8_t data[4] = {9, 9, 9, 9};
    sender.sendCodeGetBlock(0xA4, data, 4, {0, 0, 1, 0});
    EXPECT_EQ(Bytes(data, data + 4), hex("01 02 03 04"));

    answerWith({0xFF, 0x02, 0x00, 0x00, 0x34, 0x12});
    std::vector<std::uint8_t> types(85, 7);
    std::vector<std::uint16_t> values(85, 7);
    sender.uploadBlock(0x0102, 2, types.data(), values.data());
    EXPECT_EQ(port.writes().back(), framed({0xA4, 0x02, 0x01, 0x02, 0x00}));
    EXPECT_EQ(types[0], 0xFF);
    EXPECT_EQ(values[0], 2);
    EXPECT_EQ(types[1], 0x00);
    EXPECT_EQ(values[1], 0x1234);
    // 84 entries fit a packet; 85 do not, and leave the arrays alone.
    answerWith(Bytes(3 * 84, 0x01));
    sender.uploadBlock(0, 84, types.data(), values.data());
    EXPECT_EQ(types[83], 1);
    EXPECT_EQ(values[83], 0x0101);
    StdoutCapture output;
    const std::size_t writes = port.writes().size();
    sender.uploadBlock(0, 85, types.data(), values.data());
    EXPECT_EQ(output.text(), "Packet too large\n");
    EXPECT_EQ(port.writes().size(), writes);
    EXPECT_EQ(types[84], 7);

    port.setResponder({});
    sender.sendCodeGetBlock(0xA4, data, 4, {0, 0, 1, 0});
    EXPECT_EQ(Bytes(data, data + 4), hex("00 00 00 00")) << "zeros after a failure";
    expectTold(1, 0);
}

TEST(SenderTables, BlockWaitsGrowWithTheBlockAndSensorTypesHaveTheirModes)
{
    EXPECT_FLOAT_EQ(RCXSender::blockTimeout(0), 0.2f);
    EXPECT_FLOAT_EQ(RCXSender::blockTimeout(20), 0.4f);
    EXPECT_FLOAT_EQ(RCXSender::blockTimeout(252), 2.72f);
    // None: raw; touch: boolean; temperature: Celsius; light: percent;
    // rotation: angle; anything else: raw.
    const std::pair<int, int> modes[] = {{0, 0}, {1, 1}, {2, 5}, {3, 4}, {4, 7}, {5, 0}, {-1, 0}};
    for (auto [type, mode] : modes)
        EXPECT_EQ(defaultMode(type), mode) << type;
}

} // namespace
