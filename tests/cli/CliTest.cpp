// infrabrick-cli as a user runs it, against the virtual brick as a process:
// what the brick heard and its state afterwards, the output, the exit status.
#include "support/EmulatedTower.h"
#include "support/ProgramFiles.h"
#include "support/Recording.h"
#include "support/SimProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <pty.h>
#include <regex>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string fixtures = INFRABRICK_RCX_FIXTURES;
const std::string brickosFirmware = "/usr/lib/brickos/brickOS.srec";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
QJsonObject json(const std::string& out) { return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object(); }

// Waits until the brick has heard `count` commands that match `pattern`.
bool hears(SimProcess& brick, const std::string& pattern, long count)
{
    const std::regex command(pattern);
    return waitUntil([&] {
        const std::string heard = brick.history();
        return std::distance(std::sregex_iterator(heard.begin(), heard.end(), command), {}) >= count;
    }, std::chrono::seconds(30));
}

// Everything in a file in memory, or on a terminal once its other side closed.
std::string contents(int descriptor)
{
    std::string text;
    char chunk[4096];
    for (ssize_t count; (count = ::pread(descriptor, chunk, sizeof chunk, off_t(text.size()))) > 0
                        || (count < 0 && errno == ESPIPE && (count = ::read(descriptor, chunk, sizeof chunk)) > 0);)
        text.append(chunk, std::size_t(count));
    return text;
}

// infrabrick-cli as a child process, its standard output kept in memory,
// its standard error too unless it goes to `errorsTo`.
class Cli {
public:
    struct Ended { int status; std::string out, err; }; // status -1: a signal ended it

    explicit Cli(std::vector<std::string> arguments, int errorsTo = -1)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errorsTo < 0 ? err : errorsTo, STDERR_FILENO);
        std::vector<char*> argv = {const_cast<char*>(INFRABRICK_CLI)};
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        ::posix_spawn(&child, INFRABRICK_CLI, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Cli()
    {
        if (child > 0)
            signal(SIGKILL), wait();
        ::close(out), ::close(err);
    }
    void signal(int number) { ::kill(child, number); }
    bool awaitOutput(const std::string& text) { return waitUntil([&] { return contains(contents(out), text); }, std::chrono::seconds(60)); }
    Ended wait()
    {
        int raw = 0;
        ::waitpid(std::exchange(child, -1), &raw, 0);
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, contents(out), contents(err)};
    }

private:
    int out = ::memfd_create("out", MFD_CLOEXEC), err = ::memfd_create("err", MFD_CLOEXEC);
    pid_t child = -1;
};

// Each case with a virtual brick of its own, announced in a runtime folder
// of its own, and settings of its own.
class CliTest : public testing::Test {
protected:
    CliTest() { ::setenv("XDG_CONFIG_HOME", config.folder.c_str(), 1); }

    // On the brick's terminal, unless the arguments name a port.
    Cli::Ended onBrick(SimProcess& brick, std::vector<std::string> arguments, int errorsTo = -1)
    {
        if (arguments.front() != "--port")
            arguments.insert(arguments.begin(), {"--port", brick.path()});
        return Cli(arguments, errorsTo).wait();
    }

    TemporaryFolder runtime{true};
    TemporaryFolder config;
    TemporaryFolder files;
};

TEST_F(CliTest, EachSubcommandReachesTheBrick)
{
    // Each part is in what the brick heard or in its state afterwards.
    const struct {
        std::vector<std::string> arguments, parts, simOptions = {};
    } commands[] = {
        {{"beep"}, {R"("D2 00 00")", R"("D2 80 00")"}},
        {{"stop-all"}, {R"("D2 40 00")"}},
        {{"motor", "AC", "on", "--power", "3", "--reverse"},
         {R"("outputs":[{"power":2,"direction":"reverse","state":"on"},{"power":7,"direction":"forward","state":"float"},)"
          R"({"power":2,"direction":"reverse","state":"on"}])"}},
        {{"motor", "b", "off"}, {R"( 42")", R"({"power":7,"direction":"forward","state":"off"})"}},
        {{"sensor", "2", "--type", "light"}, {R"("type":3,"mode":4)"}},
        {{"sensor", "3", "--mode", "boolean", "--slope", "10"}, {R"("type":0,"mode":1,"slope":10,"raw")"}},
        {{"variable", "5", "--", "-2"}, {R"( 05 02 FE FF")", R"("variables":[0,0,0,0,0,-2,)"}},
        {{"variable", "1", "40000"}, {R"("variables":[0,-25536,)"}},
        {{"message", "7"}, {R"("messages":[7])"}},
        {{"sound", "0"}, {R"("played":[{"sound":0}])"}},
        {{"watch", "12:34"}, {R"("watch":754)"}},
        {{"sleep", "5"}, {R"("powerDownDelay":5)"}},
        {{"run", "--slot", "3"}, {R"("slot":3)"}},
        {{"off"}, {R"("power":"off")"}},
        {{"raw", "21", "81"}, {R"( 81")", R"("outputs":[{"power":7,"direction":"forward","state":"on"})"}},
        {{"download", fixtures + "/blink.nqc", "--slot", "3", "--run", "--target", "rcx2"}, {R"("slot":3,"running":true)"}},
        // The fast download image goes first, to its address.
        {{"firmware", brickosFirmware, "--fast"}, {R"("7D 00 80)", R"("firmware":{"present":true,"unlocked":true)"}, {"--no-firmware"}},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.arguments.front() + " " + command.arguments.back());
        SimProcess brick(INFRABRICK_SIM, command.simOptions);
        const Cli::Ended ended = onBrick(brick, command.arguments);
        EXPECT_EQ(ended.status, 0) << ended.err;
        const std::string seen = brick.history() + brick.state();
        for (const std::string& part : command.parts)
            EXPECT_TRUE(contains(seen, part)) << part << " not in " << seen;
    }
}

TEST_F(CliTest, ReadingsComeAsTextAndAsJson)
{
    SimProcess brick(INFRABRICK_SIM, {"--announce", "Desk"});
    ASSERT_EQ(brick.control("battery 7512"), "ok");
    ASSERT_EQ(onBrick(brick, {"download", fixtures + "/tasks.rcx", "--slot", "4"}).status, 0);
    ASSERT_EQ(onBrick(brick, {"variable", "31", "1234"}).status, 0);
    const QJsonObject status = json(Cli({"--json", "--port", "Desk", "status"}).wait().out);
    const QJsonObject expected{{"status", 0}, {"battery", QJsonObject{{"millivolts", 7512}, {"volts", 7.512}}}, {"rom", "3.1"},
                               {"firmware", "3.9"}, {"slot", 4}, {"programs", QJsonArray{4}}, {"watch", "00:00"}};
    for (auto field = expected.begin(); field != expected.end(); ++field)
        EXPECT_EQ(status[field.key()], field.value()) << field.key().toStdString();
    EXPECT_GT(status["memory"]["programs"].toInt(), 0);
    const Cli::Ended text = Cli({"--port", "Desk", "status"}).wait();
    EXPECT_TRUE(contains(text.out, "Battery: 7512 mV (7.51 V)\n")) << text.out;
    EXPECT_TRUE(contains(text.out, "Programs in slots: 4\n")) << text.out;
    EXPECT_EQ(json(Cli({"--port", "Desk", "variables", "--json"}).wait().out)["variables"][31].toInt(), 1234);
    const QJsonArray regions = json(onBrick(brick, {"memory", "--json"}).out)["regions"].toArray();
    ASSERT_EQ(regions.size(), 106);
    EXPECT_EQ(regions[0]["region"].toString(), "Subroutines");
    EXPECT_EQ(json(onBrick(brick, {"raw", "15", "01", "03", "05", "07", "0b", "--json"}).out)["reply"].toArray(),
              (QJsonArray{0, 3, 0, 1, 0, 3, 0, 9}));
    // The datalog is the text the window saves.
    ASSERT_EQ(onBrick(brick, {"datalog", "--size", "5"}).status, 0);
    for (const char* entry : {"datalog add 3 120", "datalog add 65 -5", "datalog add 128 7"})
        ASSERT_EQ(brick.control(entry), "ok");
    const std::string log = "Variable 3\t120\nSensor 2\t-5\nWatch \t7\n";
    EXPECT_EQ(onBrick(brick, {"datalog"}).out, log);
    ASSERT_EQ(onBrick(brick, {"datalog", "--out", files.path("log.txt"), "--clear"}).status, 0);
    EXPECT_EQ(files.read("log.txt"), Bytes(log.begin(), log.end()));
    EXPECT_TRUE(contains(brick.state(), R"("datalog":{"size":5,"entries":[[255,1]])")) << brick.state();
    // The port the window saved is the default.
    std::filesystem::create_directories(config.path("Infrabrick"));
    std::ofstream(config.path("Infrabrick/Infrabrick.conf")) << "[General]\nPort%20Type=Serial\nPort%20Path=" << brick.path();
    EXPECT_EQ(Cli({"watch"}).wait().out, "00:00\n");
}

// A usage fault, a refused file and a source with errors send nothing.
TEST_F(CliTest, FaultsEndWithTheirExitStatus)
{
    SimProcess brick(INFRABRICK_SIM);
    ASSERT_EQ(onBrick(brick, {"datalog", "--size", "2"}).status, 0);
    ASSERT_EQ(brick.control("datalog add 3 1"), "ok");
    const std::string notAProgram = files.write("bad.rcx", std::string(20, 'X'));
    const std::string broken = files.write("broken.nqc", "task main()\n{\n    Wait(;\n}\n");
    const struct { std::vector<std::string> arguments; int status; std::string message; bool sends = false; } faults[] = {
        {{"bogus"}, 2, "Unknown subcommand 'bogus'"},
        {{"status", "--bogus"}, 2, "Unknown option 'bogus'"},
        {{"motor", "D", "on"}, 2, "There is no output \"D\""},
        {{"sensor", "4"}, 2, "The sensor must be a number from 1 to 3"},
        {{"variable", "3", "70000"}, 2, "The value must be a number from -32768 to 65535"},
        {{"download", fixtures + "/blink.rcx", "--slot", "6"}, 2, "The slot must be a number from 1 to 5"},
        {{"download", broken, "--target", "RCX3"}, 2, "There is no target \"RCX3\""},
        {{"sound"}, 2, "Missing argument: N"},
        {{"raw", "12", "09"}, 2, "Opcode 12 takes 2 argument bytes"},
        {{"download", notAProgram}, 1, "File \"bad.rcx\" has the wrong file signature", true},
        {{"download", broken, "--slot", "2"}, 1, "has errors and was not downloaded:\nbroken.nqc:3: "},
        {{"datalog", "--out", "/dev/full"}, 1, "Error writing file \"full\"", true},
        {{"--port", "Nowhere", "download", fixtures + "/blink.nqc"}, 3, "There is no tower called \"Nowhere\""},
        {{"--port", "/nonexistent/tty", "status"}, 3, "cannot be used"},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.message);
        const std::string before = brick.history();
        const Cli::Ended ended = onBrick(brick, fault.arguments);
        EXPECT_EQ(ended.status, fault.status);
        EXPECT_TRUE(contains(ended.err, fault.message)) << ended.err;
        EXPECT_EQ(brick.history() != before, fault.sends);
    }
    // No saved port, a brick that does not answer, a tower another program holds.
    EXPECT_EQ(Cli({"status"}).wait().status, 3);
    ASSERT_EQ(brick.control("silent on"), "ok");
    const Cli::Ended silent = onBrick(brick, {"status", "--json"});
    EXPECT_EQ(silent.status, 4);
    EXPECT_EQ(json(silent.out)["error"].toString(), "No response from RCX");
    const int holder = ::open(brick.path().c_str(), O_RDWR | O_NOCTTY);
    const Cli::Ended held = onBrick(brick, {"beep"});
    ::close(holder);
    EXPECT_EQ(held.status, 3);
    EXPECT_TRUE(contains(held.err, "is in use by test-cli (process " + std::to_string(::getpid()) + ")")) << held.err;
}

// Several towers on the emulated bus: one by its place, "usb" the first.
TEST_F(CliTest, UsbTowersGoByTheirPlace)
{
    TowerTestbed bus;
    EmulatedTower& second = bus.plug("1-2");
    EmulatedTower& third = bus.plug("1-3");
    const QJsonArray towers = json(Cli({"towers", "--json"}).wait().out)["towers"].toArray();
    EXPECT_TRUE(towers.contains(QJsonObject{{"name", "USB IR Tower (bus 1, port 3)"}, {"type", "USB"}, {"path", "1-3"}}));
    ASSERT_EQ(Cli({"--port", "1-3", "beep"}).wait().status, 0);
    EXPECT_TRUE(second.writes().empty() && !third.writes().empty());
    ASSERT_EQ(Cli({"--port", "usb", "beep"}).wait().status, 0);
    EXPECT_FALSE(second.writes().empty());
    third.holdElsewhere(true);
    const Cli::Ended held = Cli({"--port", "1-3", "beep"}).wait();
    EXPECT_EQ(held.status, 3);
    EXPECT_TRUE(contains(held.err, "is in use by another program")) << held.err;
}

TEST_F(CliTest, TheProgressBarIsDrawnOnATerminalOnly)
{
    SimProcess brick(INFRABRICK_SIM);
    const std::string program = files.write("long.rcx", ProgramFile{{{0, 0, codeOf(400)}}}.bytes());
    int terminal = -1, errors = -1;
    ASSERT_EQ(::openpty(&terminal, &errors, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(onBrick(brick, {"download", program}, errors).status, 0);
    EXPECT_EQ(onBrick(brick, {"download", program, "--quiet"}, errors).status, 0);
    ::close(errors);
    const std::string drawn = contents(terminal);
    ::close(terminal);
    for (const char* part : {"Downloading file \"long.rcx\"", "\r[###############---------------]  50%", "\r[##############################] 100%"})
        EXPECT_TRUE(contains(drawn, part)) << drawn;
    EXPECT_EQ(drawn.find("Downloading"), drawn.rfind("Downloading")) << "nothing with --quiet";
    EXPECT_EQ(onBrick(brick, {"download", program}).err, "");
}

TEST_F(CliTest, CtrlCInATransferDeletesTheHalfLoadedProgramAndReleasesThePort)
{
    SimProcess brick(INFRABRICK_SIM, {"--realtime"});
    const std::string program = files.write("long.rcx", ProgramFile{{{0, 0, codeOf(2000)}}}.bytes());
    Cli download({"--port", brick.path(), "download", program, "--slot", "2"});
    // Once a few blocks went in.
    ASSERT_TRUE(hears(brick, "\"4[5D] ", 3));
    download.signal(SIGINT);
    const Cli::Ended ended = download.wait();
    EXPECT_EQ(ended.status, 130);
    EXPECT_TRUE(contains(ended.err, "Interrupted")) << ended.err;
    EXPECT_TRUE(contains(brick.state(), R"({"slot":2,"tasks":{},"subs":{}})")) << brick.state();
    EXPECT_EQ(onBrick(brick, {"beep"}).status, 0);
}

TEST_F(CliTest, FlashInstallsOneBrickAfterAnother)
{
    SimProcess brick(INFRABRICK_SIM, {"--no-firmware"});
    Cli flash({"--port", brick.path(), "flash", brickosFirmware, "--fast"});
    ASSERT_TRUE(flash.awaitOutput("Brick 1: firmware installed"));
    // The brick goes away for four versions polls, so that one fails whole; then the next comes.
    ASSERT_EQ(brick.control("silent on"), "ok");
    ASSERT_EQ(brick.control("history clear"), "ok");
    ASSERT_TRUE(hears(brick, "\"1[5D] 01 03", 4));
    ASSERT_EQ(brick.control("silent off"), "ok");
    ASSERT_TRUE(flash.awaitOutput("Brick 2: firmware installed"));
    flash.signal(SIGINT);
    const Cli::Ended ended = flash.wait();
    EXPECT_EQ(ended.status, 0) << ended.err;
    EXPECT_TRUE(contains(ended.out, "Installed: 2, failed: 0, average time: ")) << ended.out;
}

} // namespace
