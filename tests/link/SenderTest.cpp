#include "link/RCXSender.h"
#include "support/ScriptedPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Records what it is told, by whom and on which thread.
class Listener : public Control {
public:
    Listener(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(log) {}
    void timeout() override { tell("timeout"); }
    void towerError() override { tell("towerError"); }
    std::thread::id thread;

private:
    void tell(const std::string& what)
    {
        log.push_back(name + " " + what);
        thread = std::this_thread::get_id();
    }
    std::string name;
    std::vector<std::string>& log;
};

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
        port.setResponder([data](const Bytes& written) {
            Bytes reply = data;
            reply.insert(reply.begin(), replyOpcode(written));
            return framed(reply);
        });
    }

    // Opcode bytes of the packets written so far.
    std::vector<int> opcodesWritten()
    {
        std::vector<int> opcodes;
        for (const Bytes& written : port.writes())
            opcodes.push_back(written[3]);
        return opcodes;
    }

    std::vector<std::string> log;
    Listener first{"first", log};
    Listener second{"second", log};
    ScriptedPort port;
    RCXPacket packet{port};
    RCXSender sender{packet, &first};
};

TEST_F(SenderTest, ASilentBrickGetsThreeAttemptsWithOneToggleBit)
{
    const auto start = Clock::now();
    sender.sendCode(0x10);
    const auto took = Clock::now() - start;
    EXPECT_EQ(opcodesWritten(), (std::vector<int>{0x18, 0x18, 0x18}));
    EXPECT_EQ(log, (std::vector<std::string>{"first timeout", "second timeout"}));
    EXPECT_GE(took, 3 * 195ms);
    EXPECT_EQ(first.thread, std::this_thread::get_id()) << "told on the calling thread";
}

TEST_F(SenderTest, TheBatteryIsTwoBytesSignExtended)
{
    answerWith({0x2C, 0x23});
    EXPECT_EQ(sender.sendCodeGet2(0x30), 9004);
    answerWith({0xFF, 0xFF});
    EXPECT_EQ(sender.sendCodeGet2(0x30), -1);
    answerWith({0x00, 0x80});
    EXPECT_EQ(sender.sendCodeGet2(0x30), -32768);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(port.writes().size(), 3u) << "one attempt each";
}

TEST_F(SenderTest, AZeroByteAndAFailureReadTheSameButForTheListeners)
{
    answerWith({0x00});
    EXPECT_EQ(sender.sendCodeGet1(0x52, {0x10, 0}), 0);
    EXPECT_TRUE(log.empty());
    port.setResponder({});
    EXPECT_EQ(sender.sendCodeGet1(0x52, {0x10, 0}), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"first timeout", "second timeout"}));
}

TEST_F(SenderTest, ALongPacketOnASlowLineIsAnsweredAtTheFirstAttempt)
{
    // The echo and the reply come 300 ms after the write, longer than the
    // reply wait: the wait starts only once the echo is in.
    port.deliverEcho(false);
    std::thread line([this] {
        ASSERT_TRUE(port.waitForWrites(1));
        std::this_thread::sleep_for(300ms);
        Bytes bytes = port.writes()[0];
        const Bytes reply = framed({replyOpcode(bytes), 0x00});
        bytes.insert(bytes.end(), reply.begin(), reply.end());
        port.feed(bytes);
    });
    const std::uint8_t data[20] = {};
    EXPECT_EQ(sender.sendBlock(1, 20, data), 0);
    line.join();
    EXPECT_EQ(port.writes().size(), 1u);
    EXPECT_TRUE(log.empty());
}

TEST_F(SenderTest, AFailedWriteIsATowerErrorAtOnce)
{
    port.failWrites(5);
    sender.sendCode(0x10);
    EXPECT_EQ(log, (std::vector<std::string>{"first towerError", "second towerError"}));
}

TEST_F(SenderTest, ASuspendedLinkIsATowerErrorAtOnce)
{
    packet.block();
    sender.sendCode(0x10);
    sender.sendCodeNoReply(0xD2, {0, 0});
    EXPECT_TRUE(port.writes().empty());
    EXPECT_EQ(log, (std::vector<std::string>{"first towerError", "second towerError", "first towerError",
                                             "second towerError"}));
}

TEST_F(SenderTest, ABusyPortIsATimeout)
{
    port.stallReads(true);
    port.feed(hex("55 FF 00")); // the receive thread holds the port mid-packet
    ASSERT_TRUE(port.waitUntilDrained());
    sender.sendCode(0x10);
    EXPECT_EQ(log, (std::vector<std::string>{"first timeout", "second timeout"}));
    log.clear();
    // Without a reply to wait for, a time-out is told twice.
    sender.sendCodeNoReply(0xF7, {1});
    EXPECT_EQ(log, (std::vector<std::string>{"first timeout", "second timeout", "first towerError",
                                             "second towerError"}));
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
    EXPECT_TRUE(log.empty());
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

TEST_F(SenderTest, ABlockReplyFillsTheData)
{
    answerWith({1, 2, 3, 4});
    ASSERT_EQ(packet.setBlockLength(4, 0.2f), 0);
    std::uint8_t data[4] = {9, 9, 9, 9};
    sender.sendCodeGetBlock(0xA4, data, 4, {0, 0, 1, 0});
    EXPECT_EQ(Bytes(data, data + 4), hex("01 02 03 04"));
    port.setResponder({});
    sender.sendCodeGetBlock(0xA4, data, 4, {0, 0, 1, 0});
    EXPECT_EQ(Bytes(data, data + 4), hex("00 00 00 00")) << "zeros after a failure";
}

TEST_F(SenderTest, TheDatalogIsUploadedAsTypesAndValues)
{
    answerWith({0xFF, 0x02, 0x00, 0x00, 0x34, 0x12});
    std::uint8_t types[2] = {};
    std::uint16_t values[2] = {};
    sender.uploadBlock(0x0102, 2, types, values);
    ASSERT_EQ(port.writes().size(), 1u);
    EXPECT_EQ(port.writes()[0], framed({0xAC, 0x02, 0x01, 0x02, 0x00}));
    EXPECT_EQ(types[0], 0xFF);
    EXPECT_EQ(values[0], 2);
    EXPECT_EQ(types[1], 0x00);
    EXPECT_EQ(values[1], 0x1234);
}

TEST_F(SenderTest, UploadsAreLimitedToEightyFourEntries)
{
    StdoutCapture output;
    std::vector<std::uint8_t> types(85, 7);
    std::vector<std::uint16_t> values(85, 7);
    sender.uploadBlock(0, 85, types.data(), values.data());
    EXPECT_EQ(output.text(), "Packet too large\n");
    EXPECT_TRUE(port.writes().empty());
    EXPECT_EQ(types[0], 7) << "left as they were";

    answerWith(Bytes(3 * 84, 0x01));
    sender.uploadBlock(0, 84, types.data(), values.data());
    EXPECT_EQ(port.writes().size(), 1u);
    EXPECT_EQ(types[83], 1);
    EXPECT_EQ(values[83], 0x0101);
}

TEST_F(SenderTest, AnUploadThatCannotSetItsLengthIsATimeout)
{
    packet.block();
    std::uint8_t types[1] = {5};
    std::uint16_t values[1] = {5};
    sender.uploadBlock(0, 1, types, values);
    EXPECT_EQ(log, (std::vector<std::string>{"first timeout", "second timeout"}));
    EXPECT_TRUE(port.writes().empty());
}

TEST_F(SenderTest, ADownloadBlockAnswersTheBricksStatus)
{
    const std::uint8_t data[] = {1, 2, 3};
    answerWith({0x00});
    EXPECT_EQ(sender.sendBlock(1, 3, data), 0);
    answerWith({0x03});
    EXPECT_EQ(sender.sendBlock(2, 3, data), 3);
    EXPECT_TRUE(log.empty());
    port.setResponder({});
    EXPECT_EQ(sender.sendBlock(3, 3, data), -1);
    EXPECT_EQ(port.writes().size(), 2u + 3u);
    EXPECT_EQ(log, (std::vector<std::string>{"first timeout", "second timeout"}));
}

TEST_F(SenderTest, ADownloadBlockTooLargeIsATowerError)
{
    std::vector<std::uint8_t> data(247);
    EXPECT_EQ(sender.sendBlock(1, 247, data.data()), -1);
    EXPECT_TRUE(port.writes().empty());
    EXPECT_EQ(log, (std::vector<std::string>{"first towerError", "second towerError"}));
}

TEST(SenderTimes, BlockWaitsGrowWithTheBlock)
{
    EXPECT_FLOAT_EQ(RCXSender::blockTimeout(0), 0.2f);
    EXPECT_FLOAT_EQ(RCXSender::blockTimeout(20), 0.4f);
    EXPECT_FLOAT_EQ(RCXSender::blockTimeout(252), 2.72f);
}

} // namespace
