// The link against the virtual brick run as a program: the serial port and
// the link layer on its pseudo-terminal, as on a serial IR tower. The brick
// answers at once rather than at 2400 bit/s: the bytes come in bursts, which
// tries the receive path harder, and a loaded machine cannot push a paced
// reply past its 0.2 s.
#include "link/RCXSender.h"
#include "ports/AllPorts.h"
#include "support/Recording.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

namespace {

class SerialLinkToSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ports.setPort("Serial", "virtual brick", sim.path()), 0);
        packet.startReadLoop();
    }

    SimProcess sim{INFRABRICK_SIM};
    AllPorts ports;
    RCXPacket packet{ports};
    RecordingListener listener;
    RCXSender sender{packet, &listener};
};

TEST_F(SerialLinkToSim, EveryCommandIsAnsweredAtTheFirstAttemptWithTheEchoSwallowed)
{
    ASSERT_EQ(sim.control("battery 8765"), "ok");
    ASSERT_EQ(sim.control("sensor 2 raw 700"), "ok");
    ASSERT_EQ(sim.control("history clear"), "ok");
    EXPECT_EQ(sender.sendCodeGet2(0x30), 8765);
    EXPECT_EQ(sender.sendCodeGet2(0x12, {12, 1}), 700);
    sender.sendCode(0x14, {2, 2, 0x10, 0x00});
    EXPECT_EQ(sender.sendCodeGet2(0x12, {0, 2}), 16);
    // A retry would repeat its toggle bit: each was answered at once.
    EXPECT_EQ(sim.history(), R"(["38","12 0C 01","1C 02 02 10 00","12 00 02"])");
    EXPECT_NE(sim.state().find("\"variables\":[0,0,16,"), std::string::npos);
    EXPECT_EQ(sim.control("message 77"), "ok");
    EXPECT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    EXPECT_EQ(packet.getMessage(0, 0.2f), 77);
    for (int i = 0; i < 200; ++i) {
        if (i % 2 == 0)
            sender.sendCode(0x10);
        else
            ASSERT_EQ(sender.sendCodeGet2(0x30), 8765) << "command " << i;
    }
    EXPECT_EQ(listener.failures(), 0);
}

TEST_F(SerialLinkToSim, ACommandWithoutReplyIsHeardOnceItsEchoIsBack)
{
    for (int round = 0; round < 100; ++round) {
        ASSERT_EQ(sim.control("history clear"), "ok");
        sender.sendCodeNoReply(0xD2, {0x00, 0x00});
        ASSERT_EQ(sim.history(), R"(["D2 00 00"])") << "round " << round;
    }
    EXPECT_EQ(listener.failures(), 0);
}

} // namespace
