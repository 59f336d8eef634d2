// infrabrick-sim as a program, seen from outside: its options, control,
// announcement, pacing and noise.
#include "ports/SerialPort.h"
#include "sim/PtyTower.h"
#include "support/Recording.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string program = INFRABRICK_SIM;

// Reads onto `got` until it ends with `tail`; false after a second of silence.
bool readThrough(SerialPort& line, Bytes& got, const Bytes& tail)
{
    for (std::uint8_t byte; got.size() < tail.size() || !std::equal(tail.rbegin(), tail.rend(), got.rbegin());)
        if (line.readByte(&byte, 1s) == 0)
            got.push_back(byte);
        else
            return false;
    return true;
}

TEST(SimProgram, AnswersEachControlLineAndRefusesBadOptions)
{
    SimProcess sim(program, {"--no-firmware", "--seed", "0x10", "--noise", "0", "--clock", "wall"});
    EXPECT_EQ(sim.path().rfind("/dev/pts/", 0), 0u) << sim.path();
    EXPECT_EQ(sim.control("sensor 2 raw 0x100"), "ok");
    EXPECT_EQ(sim.control("sensor 4 raw 1"), "error: usage: sensor 1-3 raw 0-1023");
    const std::string state = sim.state();
    EXPECT_NE(state.find("\"firmware\":{\"present\":false"), std::string::npos) << state;
    EXPECT_NE(state.find("\"raw\":256"), std::string::npos) << state;
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
    for (const char* ending : {"quit", "end of input", "SIGINT", "SIGTERM"}) {
        // A link left behind by a run that was killed.
        fs::create_directories(link.parent_path());
        fs::create_symlink("/dev/pts/nonexistent", link);
        SimProcess sim(program, {"--announce", "Bench brick"});
        ASSERT_FALSE(sim.path().empty());
        EXPECT_EQ(fs::read_symlink(link), sim.path());
        if (ending == std::string("quit"))
            EXPECT_EQ(sim.control("quit"), "ok");
        else if (ending == std::string("end of input"))
            sim.closeInput();
        else
            sim.signal(ending == std::string("SIGINT") ? SIGINT : SIGTERM);
        EXPECT_EQ(sim.wait(), 0) << ending;
        EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << ending;
    }
    SimProcess escape(program, {"--announce", "../escape"});
    EXPECT_TRUE(escape.path().empty());
    EXPECT_EQ(escape.wait(), 1);
    EXPECT_FALSE(fs::exists(fs::symlink_status(runtime.folder / "infrabrick" / "escape")));
}

TEST(SimProgram, RealtimePacesTheEchoAndTheReply)
{
    SimProcess sim(program, {"--realtime"});
    SerialPort line;
    ASSERT_EQ(line.openPort(sim.path()), 0);
    const Bytes alive = framed({0x10});
    Bytes got;
    const auto start = Clock::now();
    ASSERT_EQ(line.write(alive.data(), int(alive.size())), 0);
    ASSERT_TRUE(readThrough(line, got, alive));
    const auto echoed = Clock::now();
    ASSERT_TRUE(readThrough(line, got, framed({0xEF})));
    // 7 bytes each way, and the turnaround between them. Nothing can come
    // sooner; a loaded machine may only make it later, and this thread may
    // see the echo late, so both are timed from the send.
    EXPECT_EQ(got.size(), 14u);
    EXPECT_GE(echoed - start, 7 * PtyTower::byteTime * 0.95);
    EXPECT_GE(Clock::now() - start, (14 * PtyTower::byteTime + PtyTower::turnaround) * 0.95);
}

TEST(SimProgram, NoiseLosesCommandsButNeverEchoesAndChangesWhileRunning)
{
    SimProcess sim(program, {"--noise", "1", "--seed", "7"});
    SerialPort line;
    ASSERT_EQ(line.openPort(sim.path()), 0);
    Bytes got;
    ASSERT_EQ(line.write(framed({0x10}).data(), 7), 0);
    EXPECT_TRUE(readThrough(line, got, framed({0x10})));
    EXPECT_EQ(sim.control("noise 0"), "ok");
    ASSERT_EQ(line.write(framed({0x18}).data(), 7), 0);
    EXPECT_TRUE(readThrough(line, got, framed({0xE7})));
    EXPECT_EQ(got, framed({0x10}) + framed({0x18}) + framed({0xE7})) << "no reply to the lost command";
    EXPECT_EQ(sim.history(), "[\"18\"]");
}

} // namespace
