// infrabrick-sim as a program: its pseudo-terminal, announcement, control,
// pacing and noise, seen from outside.
#include "link/RCXSender.h"
#include "ports/SerialPort.h"
#include "sim/PtyTower.h"
#include "support/ScriptedPort.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

const std::string program = INFRABRICK_SIM;

class NoListener : public Control {
public:
    void timeout() override { ++failures; }
    void towerError() override { ++failures; }
    int failures = 0;
};

// A raw line to the brick's terminal, as a host opens it.
class Line {
public:
    explicit Line(const std::string& path)
        : fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        termios settings;
        ::tcgetattr(fd, &settings);
        ::cfmakeraw(&settings);
        ::tcsetattr(fd, TCSANOW, &settings);
    }
    ~Line() { ::close(fd); }
    void send(const Bytes& bytes) { EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
    // Up to `count` bytes, as many as come before `limit` passes in silence.
    Bytes read(std::size_t count, std::chrono::milliseconds limit = 2s)
    {
        Bytes got;
        std::uint8_t chunk[512];
        pollfd wait = {fd, POLLIN, 0};
        while (got.size() < count && ::poll(&wait, 1, static_cast<int>(limit.count())) > 0) {
            const ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, count - got.size()));
            if (n <= 0)
                break;
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }
    // Reads onto `got` until it ends with `tail`; false if it does not within
    // a silence of `limit`.
    bool readThrough(Bytes& got, const Bytes& tail, std::chrono::milliseconds limit = 10s)
    {
        while (got.size() < tail.size() || !std::equal(tail.rbegin(), tail.rend(), got.rbegin())) {
            const Bytes more = read(1, limit);
            if (more.empty())
                return false;
            got.insert(got.end(), more.begin(), more.end());
        }
        return true;
    }

private:
    int fd;
};

TEST(SimProgram, TheHostLinkTalksToItOverThePseudoTerminal)
{
    SimProcess sim(program);
    ASSERT_FALSE(sim.path().empty());
    SerialPort port;
    ASSERT_EQ(port.openPort(sim.path()), 0);
    NoListener listener;
    {
        RCXPacket packet(port);
        packet.startReadLoop();
        RCXSender sender(packet, &listener);
        EXPECT_EQ(sim.control("battery 8123"), "ok");
        EXPECT_EQ(sender.sendCodeGet2(0x30), 8123);
        sender.sendCode(0x14, {2, 2, 0x10, 0x00});
        EXPECT_EQ(sender.sendCodeGet2(0x12, {0, 2}), 16);
        EXPECT_EQ(sim.control("message 77"), "ok");
        EXPECT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
        EXPECT_EQ(packet.getMessage(0, 0.2f), 77);
    }
    EXPECT_EQ(listener.failures, 0);
    EXPECT_EQ(sim.control("history"), "[\"38\",\"14 02 02 10 00\",\"1A 00 02\"]");
    EXPECT_TRUE(sim.control("state").find("\"variables\":[0,0,16,") != std::string::npos);
    EXPECT_EQ(sim.control("quit"), "ok");
    EXPECT_EQ(sim.wait(), 0);
}

TEST(SimProgram, ControlAnswersOneLineForEachCommand)
{
    SimProcess sim(program, {"--no-firmware"});
    EXPECT_EQ(sim.control("sensor 2 raw 0x100"), "ok");
    EXPECT_EQ(sim.control("sensor 4 raw 1"), "error: usage: sensor 1-3 raw 0-1023");
    EXPECT_EQ(sim.control("frobnicate"), "error: unknown command: frobnicate");
    const std::string state = sim.control("state");
    EXPECT_TRUE(state.find("\"firmware\":{\"present\":false") != std::string::npos) << state;
    EXPECT_TRUE(state.find("\"raw\":256") != std::string::npos) << state;
}

TEST(SimProgram, RefusesBadOptions)
{
    for (const std::vector<std::string>& arguments :
        {std::vector<std::string>{"--bogus"}, {"--noise"}, {"--noise", "2"}, {"--seed", "x"}, {"--announce"},
            {"--clock"}, {"--clock", "sometimes"}}) {
        SimProcess sim(program, arguments);
        EXPECT_TRUE(sim.path().empty());
        EXPECT_EQ(sim.wait(), 2);
    }
}

class Announced : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/infrabrick-sim-runtime-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        runtime = name;
        const char* previous = std::getenv("XDG_RUNTIME_DIR");
        saved = previous ? previous : "";
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        link = runtime / "infrabrick" / "towers" / "Bench brick";
    }
    void TearDown() override
    {
        if (saved.empty())
            ::unsetenv("XDG_RUNTIME_DIR");
        else
            ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
        fs::remove_all(runtime);
    }
    fs::path runtime;
    fs::path link;
    std::string saved;
};

TEST_P(Announced, TheLinkNamesTheTerminalUntilTheProgramEnds)
{
    // A link left behind by a run that was killed.
    fs::create_directories(link.parent_path());
    fs::create_symlink("/dev/pts/nonexistent", link);
    SimProcess sim(program, {"--announce", "Bench brick"});
    ASSERT_FALSE(sim.path().empty());
    EXPECT_EQ(fs::read_symlink(link), sim.path());
    const std::string how = GetParam();
    if (how == "quit")
        EXPECT_EQ(sim.control("quit"), "ok");
    else if (how == "end of input")
        sim.closeInput();
    else
        sim.signal(how == "SIGINT" ? SIGINT : SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(Announced, ANameWithASlashIsRefused)
{
    SimProcess sim(program, {"--announce", "../escape"});
    EXPECT_TRUE(sim.path().empty());
    EXPECT_EQ(sim.wait(), 1);
    EXPECT_FALSE(fs::exists(fs::symlink_status(runtime / "infrabrick" / "escape")));
}

INSTANTIATE_TEST_SUITE_P(Endings, Announced, ::testing::Values("quit", "end of input", "SIGINT", "SIGTERM"));

TEST(SimProgram, RealtimePacesTheEchoAndTheReply)
{
    SimProcess sim(program, {"--realtime"});
    Line line(sim.path());
    const Bytes alive = framed({0x10});
    const auto start = Clock::now();
    line.send(alive);
    const Bytes echo = line.read(alive.size());
    const auto echoed = Clock::now();
    const Bytes reply = line.read(7);
    const auto replied = Clock::now();
    EXPECT_EQ(echo, alive);
    EXPECT_EQ(reply, hex("55 FF 00 EF 10 EF 10"));
    // 7 bytes each way at 4.58 ms, and the turnaround between them. Nothing
    // can come sooner; a loaded machine may only make it later (so there is
    // no upper bound), and the moment this thread sees the echo may be late,
    // so both are timed from the send.
    const auto byteTime = PtyTower::byteTime;
    const auto exchange = 14 * byteTime + PtyTower::turnaround;
    EXPECT_GE(echoed - start, 7 * byteTime * 0.95);
    EXPECT_GE(replied - start, exchange * 0.95);
}

// What the brick made of 40 alive commands, and how many bytes came back
// for them (echoes and replies). They go one at a time: the brick has heard
// a command once its echo is back, and its reply comes before the next
// command's echo. A last command, sent without noise, ends the last reply.
std::pair<std::string, std::size_t> noisyExchanges(const std::vector<std::string>& arguments)
{
    SimProcess sim(program, arguments);
    Line line(sim.path());
    Bytes received;
    for (int i = 0; i < 40; ++i) {
        const Bytes alive = framed({static_cast<std::uint8_t>(i % 2 ? 0x10 : 0x18)});
        line.send(alive);
        EXPECT_TRUE(line.readThrough(received, alive)) << "the echo of command " << i;
    }
    EXPECT_EQ(sim.control("noise 0"), "ok");
    const Bytes last = framed({0x18});
    line.send(last);
    EXPECT_TRUE(line.readThrough(received, hex("55 FF 00 18 E7 18 E7 55 FF 00 E7 18 E7 18")));
    return {sim.control("history"), received.size() - 14};
}

TEST(SimProgram, NoiseIsTheSameForTheSameSeed)
{
    const auto first = noisyExchanges({"--noise", "0.05", "--seed", "7"});
    EXPECT_EQ(noisyExchanges({"--noise", "0.05", "--seed", "7"}), first);
    EXPECT_NE(noisyExchanges({"--noise", "0.05", "--seed", "8"}).first, first.first);
    // Echoes always come back; some commands and replies are lost.
    EXPECT_LT(first.second, 40u * 14);
    EXPECT_GE(first.second, 40u * 7);
    EXPECT_NE(first.first, noisyExchanges({}).first);
}

TEST(SimProgram, NoiseCanBeChangedWhileRunning)
{
    SimProcess sim(program);
    Line line(sim.path());
    EXPECT_EQ(sim.control("noise 1"), "ok");
    line.send(framed({0x10}));
    EXPECT_EQ(line.read(7), framed({0x10})) << "the echo";
    EXPECT_EQ(sim.control("noise 0"), "ok");
    // No reply to the first command comes before this one's echo.
    line.send(framed({0x18}));
    EXPECT_EQ(line.read(14), hex("55 FF 00 18 E7 18 E7 55 FF 00 E7 18 E7 18"));
}

} // namespace
