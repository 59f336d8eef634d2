// infrabrick-sim as a program: options, control, announcement, pacing, noise, and the link on its terminal in bursts.
#include "link/RCXSender.h"
#include "ports/AllPorts.h"
#include "ports/SerialPort.h"
#include "protocol/Firmware.h"
#include "protocol/Words.h"
#include "rcx/FirmwareFile.h"
#include "link/Framing.h"
#include "sim/LineMode.h"
#include "sim/PtyTower.h"
#include "support/Recording.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <numeric>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string program = INFRABRICK_SIM;

// Reads onto `got` until it ends with `tail`; false after a second of silence.
bool readThrough(SerialPort& line, Bytes& got, const Bytes& tail)
{
    for (std::uint8_t byte; got.size() < tail.size() || !std::equal(tail.rbegin(), tail.rend(), got.rbegin()); got.push_back(byte))
        if (line.readByte(&byte, 1s) != 0)
            return false;
    return true;
}

TEST(SimProgram, AnswersEachControlLineAndRefusesBadOptions)
{
    SimProcess sim(program, {"--no-firmware", "--seed", "0x10", "--noise", "0", "--clock", "wall"});
    EXPECT_EQ(sim.path().rfind("/dev/pts/", 0), 0u) << sim.path();
    EXPECT_NE(sim.state().find("\"firmware\":{\"present\":false"), std::string::npos) << sim.state();
    EXPECT_NE(sim.state().find("\"slot\":1,\"running\""), std::string::npos) << "slots count from 1";
    // Two lines in one write: two answers.
    EXPECT_EQ(sim.control("battery 5000\nbattery 6000"), "ok");
    EXPECT_EQ(sim.readLine(), "ok");
    EXPECT_EQ(sim.control("quit"), "ok");
    EXPECT_EQ(sim.wait(), 0);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--bogus"}, {"--noise"}, {"--noise", "2"}, {"--seed", "x"}, {"--seed", "-0"},
          {"--seed", "0x100000000"}, {"--announce"}, {"--announce", ""}, {"--clock"}, {"--clock", "sometimes"}}) {
        SimProcess refused(program, arguments);
        EXPECT_TRUE(refused.path().empty()) << arguments[0];
        EXPECT_EQ(refused.wait(), 2) << arguments[0];
    }
}

TEST(SimProgram, TheAnnouncedLinkNamesTheTerminalUntilTheProgramEndsHoweverItEnds)
{
    TemporaryFolder runtime(true);
    const fs::path link = runtime.folder / "infrabrick" / "towers" / "Bench brick";
    for (const std::string ending : {"quit", "end of input", "SIGINT", "SIGTERM"}) {
        fs::create_directories(link.parent_path());
        fs::create_symlink("/dev/pts/nonexistent", link); // left behind by a run that was killed
        SimProcess sim(program, {"--announce", "Bench brick"});
        ASSERT_FALSE(sim.path().empty());
        EXPECT_EQ(fs::read_symlink(link), sim.path());
        if (ending == "quit")
            EXPECT_EQ(sim.control("quit"), "ok");
        else if (ending == "end of input")
            sim.closeInput();
        else
            sim.signal(ending == "SIGINT" ? SIGINT : SIGTERM);
        EXPECT_EQ(sim.wait(), 0) << ending;
        EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << ending;
    }
    SimProcess escape(program, {"--announce", "../escape"});
    EXPECT_TRUE(escape.path().empty());
    EXPECT_EQ(escape.wait(), 1);
    EXPECT_FALSE(fs::exists(fs::symlink_status(runtime.folder / "infrabrick" / "escape")));
}

Bytes plainFramed(const Bytes& values) { return hex("55 FF 00") + values + Bytes{checksum(values)}; }

// Noise loses a command, never its echo; realtime paces the echo and the reply. The
// serial tower's fast download image puts the brick's line at 4800 bit/s without
// complements or parity: a host still at 2400 is not heard, each byte paced anew.
TEST(SimProgram, NoiseLosesCommandsNotEchoesAndRealtimePacesTheLineTheFastDownloadImageSets)
{
    SimProcess sim(program, {"--realtime", "--no-firmware", "--noise", "1", "--seed", "7"});
    SerialPort line;
    ASSERT_EQ(line.openPort(sim.path()), 0);
    Bytes got;
    const auto exchange = [&](const Bytes& command, const Bytes& reply) {
        return line.write(command.data(), static_cast<int>(command.size())) == 0 && readThrough(line, got, command + reply);
    };
    EXPECT_TRUE(exchange(framed({0x10}), {}));
    EXPECT_EQ(sim.control("noise 0"), "ok");
    auto start = Clock::now();
    ASSERT_TRUE(exchange(framed({0x18}), {}));
    auto echoed = Clock::now();
    ASSERT_TRUE(readThrough(line, got, framed({0xE7})));
    EXPECT_EQ(got, framed({0x10}) + framed({0x18}) + framed({0xE7})) << "no reply to the lost command";
    EXPECT_EQ(sim.history(), "[\"18\"]");
    // 7 bytes each way and the turnaround, timed from the send: this thread may see the echo late.
    EXPECT_GE(echoed - start, 7 * PtyTower::byteTime * 0.95);
    EXPECT_GE(Clock::now() - start, (14 * PtyTower::byteTime + PtyTower::turnaround) * 0.95);

    const Bytes image = readFirmwareFile(INFRABRICK_FAST_DOWNLOAD_SERIAL).image;
    const int sum = std::accumulate(image.begin(), image.end(), 0);
    const Bytes answer = Bytes{0x5A} + Bytes(unlockAnswer.begin(), unlockAnswer.end());
    ASSERT_TRUE(exchange(framed({0x75, 0x00, 0x80, lowByte(sum), highByte(sum), 0}), framed({0x8A, 0})));
    ASSERT_TRUE(exchange(framed(block(0x4D, 0, image)), framed({0xB2, 0})));
    ASSERT_TRUE(exchange(framed({0xA5, 0x4C, 0x45, 0x47, 0x4F, 0xAE}), framed(answer)));
    EXPECT_NE(sim.state().find(R"("line":{"speed":4800,"complements":false,"parity":"none"})"), std::string::npos);
    Bytes garbage = plainFramed({0xF7, 7});
    std::transform(garbage.begin(), garbage.end(), garbage.begin(), garbled);
    ASSERT_EQ(sim.control("message 7"), "ok");
    EXPECT_TRUE(readThrough(line, got, garbage)) << "the brick's bytes, heard at 2400";
    ASSERT_TRUE(exchange(plainFramed({0x10}), {}));

    line.setLineSpeed(LineSpeed::fast);
    const Bytes data = plainFramed(block(0x45, 1, Bytes(200, 0x11)));
    start = Clock::now();
    ASSERT_TRUE(exchange(data, {}));
    echoed = Clock::now();
    EXPECT_TRUE(readThrough(line, got, plainFramed({0xBA, 6}))) << "no download going on";
    EXPECT_GE(echoed - start, (LineSettings{4800, Parity::none}.byteTime() * data.size() * 0.95));
    EXPECT_LT(echoed - start, PtyTower::byteTime * data.size()) << "faster than the ROM's line";
    EXPECT_EQ(sim.history().find("\"10\""), std::string::npos) << "the host at 2400 was not heard";
}

TEST(SerialLinkToSim, EveryCommandIsAnsweredAtTheFirstAttemptAndOneWithoutReplyHeardOnceItsEchoIsBack)
{
    SimProcess sim(program);
    AllPorts ports;
    ASSERT_EQ(ports.setPort("Serial", "virtual brick", sim.path()), 0);
    RCXPacket packet(ports);
    packet.startReadLoop();
    RecordingListener listener;
    RCXSender sender(packet, &listener);
    ASSERT_EQ(sim.control("battery 8765") + sim.control("history clear"), "okok");
    EXPECT_EQ(sender.sendCodeGet2(0x30), 8765);
    sender.sendCode(0x14, {2, 2, 0x10, 0x00});
    EXPECT_EQ(sim.history(), R"(["38","14 02 02 10 00"])") << "each heard once, toggle bits alternating";
    for (int i = 1; i < 200; i += 2) {
        sender.sendCode(0x10);
        ASSERT_EQ(sender.sendCodeGet2(0x30), 8765) << "command " << i;
    }
    for (int round = 0; round < 100; ++round) {
        ASSERT_EQ(sim.control("history clear"), "ok");
        sender.sendCodeNoReply(0xD2, {0x00, 0x00});
        ASSERT_EQ(sim.history(), R"(["D2 00 00"])") << "round " << round;
    }
    EXPECT_EQ(listener.failures(), 0);
}

} // namespace
