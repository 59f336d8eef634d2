#include "link/RCXPacket.h"
#include "link/RCXSender.h"
#include "ports/AllPorts.h"
#include "support/ScriptedPort.h"
#include "support/SimProcess.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdlib>
#include <filesystem>

// The link layer and the serial port against the virtual brick, a program of
// its own behind a pseudo-terminal, as a serial IR tower would be.

namespace {

using namespace std::chrono_literals;

constexpr int battery = 0x30;
constexpr int ping = 0x10;
constexpr int readValue = 0x12;
constexpr int sensorRawSource = 12;
constexpr int remote = 0xD2;

class CountingListener : public Control {
public:
    void timeout() override { ++timeouts; }
    void towerError() override { ++towerErrors; }
    std::atomic<int> timeouts = 0;
    std::atomic<int> towerErrors = 0;
};

// The whole stack, from the sender down to the serial port on the brick's
// pseudo-terminal, reading.
// The brick answers at once rather than at the line's 2400 bit/s: the bytes
// come in bursts, which tries the receive path harder, and a loaded machine
// cannot push a paced reply past its 0.2 s.
class SerialLinkToSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(sim.path().empty());
        ASSERT_EQ(ports.setPort("Serial", "virtual brick", sim.path()), 0);
        packet.startReadLoop();
    }

    SimProcess sim{INFRABRICK_SIM};
    AllPorts ports;
    RCXPacket packet{ports};
    CountingListener listener;
    RCXSender sender{packet, &listener};
};

TEST_F(SerialLinkToSim, ReadsTheBatteryAndTheSensorsWithTheEchoSwallowed)
{
    ASSERT_EQ(sim.control("battery 8765"), "ok");
    ASSERT_EQ(sim.control("sensor 2 raw 700"), "ok");
    ASSERT_EQ(sim.control("sensor 3 raw 12"), "ok");
    ASSERT_EQ(sim.control("history clear"), "ok");
    EXPECT_EQ(sender.sendCodeGet2(battery), 8765);
    EXPECT_EQ(sender.sendCodeGet2(readValue, {sensorRawSource, 1}), 700);
    EXPECT_EQ(sender.sendCodeGet2(readValue, {sensorRawSource, 2}), 12);
    EXPECT_EQ(listener.timeouts, 0);
    EXPECT_EQ(listener.towerErrors, 0);
    // Each answered at the first attempt (a retry repeats its toggle bit):
    // the echo was not taken for the reply.
    EXPECT_EQ(sim.control("history"), R"(["38","12 0C 01","1A 0C 02"])");
}

TEST_F(SerialLinkToSim, TwoHundredCommandsInARowAllGetTheirReply)
{
    ASSERT_EQ(sim.control("battery 9004"), "ok");
    for (int i = 0; i < 200; ++i) {
        if (i % 2 == 0)
            sender.sendCode(ping);
        else
            ASSERT_EQ(sender.sendCodeGet2(battery), 9004) << "command " << i;
        ASSERT_EQ(listener.timeouts, 0) << "command " << i;
    }
    EXPECT_EQ(listener.towerErrors, 0);
}

TEST_F(SerialLinkToSim, ACommandWithoutReplyIsInTheHistoryOnceItsEchoIsBack)
{
    // The send returns with the echo; the history is read right after it,
    // with no reply to wait for. The remote's release word, say.
    for (int round = 0; round < 100; ++round) {
        ASSERT_EQ(sim.control("history clear"), "ok");
        sender.sendCodeNoReply(remote, {0x00, 0x00});
        ASSERT_EQ(sim.control("history"), R"(["D2 00 00"])") << "round " << round;
    }
    EXPECT_EQ(listener.towerErrors, 0);
}

TEST_F(SerialLinkToSim, ABrickThatEndsStopsTheReceiveThreadWithoutHangingAnything)
{
    StdoutCapture capture;
    ASSERT_EQ(sender.sendCodeGet2(battery) > 0, true);
    sim.signal(SIGKILL);
    ASSERT_TRUE(sim.wait().has_value());
    // The read waiting on the pseudo-terminal fails, and the loop says so.
    ASSERT_TRUE(capture.waitFor("Error: " + std::to_string(EIO) + "\n")) << capture.text();
    // Until the loop is started again, nothing is sent.
    EXPECT_EQ(packet.sendPacket(ping, {}, 0.2f), kIOReturnNotReady);
    sender.sendCode(ping);
    EXPECT_EQ(listener.towerErrors, 1);

    // A new brick on a new line: reading again, answered again.
    SimProcess second(INFRABRICK_SIM);
    ASSERT_EQ(second.control("battery 7000"), "ok");
    ASSERT_EQ(ports.setPort("Serial", "virtual brick", second.path()), 0);
    packet.startReadLoop();
    EXPECT_EQ(sender.sendCodeGet2(battery), 7000);
}

TEST(AnnouncedSim, IsListedUnderItsNameAndReachedThroughIt)
{
    char runtime[] = "/tmp/infrabrick-runtime-XXXXXX";
    ASSERT_NE(mkdtemp(runtime), nullptr);
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedRuntime = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", runtime, 1);
    {
        SimProcess sim(INFRABRICK_SIM, {"--announce", "Test brick"});
        ASSERT_EQ(sim.control("battery 8100"), "ok");
        AllPorts ports;
        const int count = ports.findPorts();
        ASSERT_GE(count, 2);
        EXPECT_EQ(ports.portTypeAtIndex(count - 2), "Serial");
        EXPECT_EQ(ports.portNameAtIndex(count - 2), "Test brick");
        EXPECT_EQ(ports.portNameAtIndex(count - 1), "USB IR Tower");
        RCXPacket packet(ports);
        CountingListener listener;
        RCXSender sender(packet, &listener);
        ASSERT_EQ(ports.setPort(ports.portTypeAtIndex(count - 2), ports.portNameAtIndex(count - 2),
                                ports.portPathAtIndex(count - 2)),
                  0);
        packet.startReadLoop();
        EXPECT_EQ(sender.sendCodeGet2(battery), 8100);
    }
    if (savedRuntime.empty())
        unsetenv("XDG_RUNTIME_DIR");
    else
        setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
    std::filesystem::remove_all(runtime);
}

} // namespace
