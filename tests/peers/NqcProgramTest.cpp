// NQC programs run in the virtual brick: compiled by nqc for the RCX and the
// RCX 2.0 firmware, downloaded over the pseudo-terminal by nqc itself and by
// Infrabrick's own link, run, and checked through the brick's state, the
// manual clock making every count and time exact.
#include "Shell.h"
#include "link/RCXSender.h"
#include "ports/SerialPort.h"
#include "rcx/RCXController.h"
#include "support/ScriptedPort.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <tuple>

namespace fs = std::filesystem;

namespace {

const std::string program = INFRABRICK_SIM;

class NoListener : public Control {
public:
    void timeout() override { ++failures; }
    void towerError() override { ++failures; }
    int failures = 0;
};

class NoProgress : public FileOp {
public:
    void startFileOp(const std::string&) override {}
    void advanceBy(double) override {}
    void abortFileOp(const std::string& message) override { failure = message; }
    void stopFileOp() override {}
    std::string failure;
};

// Infrabrick's own link to the brick's terminal.
struct Link {
    explicit Link(const std::string& path) { port.openPort(path); }
    ~Link() { port.closePort(); }

    SerialPort port;
    RCXPacket packet{port};
    NoListener listener;
    RCXSender sender{packet, &listener};
    RCXController controller{sender, packet};
};

// A control command (none when empty), then time passing, then parts the
// state must hold.
struct Stage {
    std::string control;
    int milliseconds;
    std::vector<std::string> expected;
};

struct ProgramCase {
    const char* name;
    const char* target;
    const char* source;
    std::vector<Stage> stages;
};

void PrintTo(const ProgramCase& c, std::ostream* out)
{
    *out << c.name;
}

const std::string variablesStart = "\"variables\":[";

std::vector<ProgramCase> cases()
{
    return {
        {"variables", "RCX",
            "int a, b, c, d;\n"
            "task main() { a = 7; b = a * 6; c = 100; c /= d; d = -32768; d = abs(d); SetSleepTime(5); }\n",
            {{"", 100, {variablesStart + "7,42,100,32767,", "\"running\":false", "\"powerDownDelay\":5,"}}}},
        {"outputs", "RCX",
            "task main() { SetPower(OUT_A, 3); OnFwd(OUT_A); OnRev(OUT_B); Float(OUT_C); Wait(50); Off(OUT_B); }\n",
            {{"", 100, {"\"outputs\":[{\"power\":3,\"direction\":\"forward\",\"state\":\"on\"},"
                        "{\"power\":7,\"direction\":\"reverse\",\"state\":\"on\"},"}},
                {"", 500, {"{\"power\":7,\"direction\":\"reverse\",\"state\":\"off\"},"
                           "{\"power\":7,\"direction\":\"forward\",\"state\":\"float\"}]"}}}},
        {"sounds", "RCX", "task main() { PlaySound(SOUND_UP); PlayTone(440, 50); PlaySound(SOUND_DOUBLE_BEEP); }\n",
            {{"", 100, {"{\"sound\":3},{\"tone\":440,\"duration\":50},{\"sound\":1}],"}}}},
        {"messages", "RCX", "int x;\ntask main() { SendMessage(42); x = 3; SendMessage(x); ClearMessage(); }\n",
            {{"", 100, {"\"sent\":[42,3]", "\"message\":0,"}}}},
        {"datalog", "RCX",
            "int x;\n"
            "task main() { CreateDatalog(5); x = 12; AddToDatalog(x); Wait(150);\n"
            "  AddToDatalog(Timer(0)); AddToDatalog(SENSOR_1); }\n",
            {{"", 2000, {"\"datalog\":{\"size\":5,\"entries\":[[255,4],[0,12],[32,15],[64,1023]]}"}}}},
        {"tasks", "RCX",
            "int n;\n"
            "task main() { start counter; Wait(10); stop counter; start other; }\n"
            "task counter() { n++; Wait(1000); n = 99; }\n"
            "task other() { Wait(100); }\n",
            {{"", 300, {"\"tasks\":[2]", variablesStart + "1,"}}, {"", 1000, {"\"running\":false", variablesStart + "1,"}}}},
        {"timers", "RCX2",
            "int x, y, z, w;\n"
            "task main() { ClearTimer(0); Wait(250); x = Timer(0); y = FastTimer(0); SetTimer(1, 100); Wait(100);\n"
            "  z = Timer(1); SetWatch(10, 20); w = Watch(); }\n",
            {{"", 2000, {variablesStart + "0,"}}, {"", 2000, {variablesStart + "25,250,110,620,", "\"watch\":620,"}}}},
        {"locals and arrays", "RCX2",
            "int x; int squares[4];\n"
            "task main() { int i; i = 0; while (i < 4) { squares[i] = i * i; i++; } x = squares[3] + squares[2]; }\n",
            {{"", 100, {variablesStart + "13,0,1,4,9,"}}}},
        {"events", "RCX2",
            "int hit, high, x;\n"
            "task main() { start timed; SetSensor(SENSOR_1, SENSOR_TOUCH); SetEvent(1, SENSOR_1, EVENT_TYPE_PRESSED);\n"
            "  monitor (EVENT_MASK(1)) { Wait(10000); } catch { hit = 1; } }\n"
            "task timed() { SetEvent(2, Timer(0), EVENT_TYPE_HIGH); SetUpperLimit(2, 5); ClearTimer(0);\n"
            "  monitor (EVENT_MASK(2)) { while (true) x++; } catch { high = 1; } }\n",
            {{"", 300, {variablesStart + "0,0,"}}, {"sensor 1 raw 100", 400, {variablesStart + "1,1,"}}}},
        {"access control", "RCX2",
            "int lost;\n"
            "task main() { SetPriority(2); start thief;\n"
            "  acquire (ACQUIRE_OUT_A) { On(OUT_A); Wait(1000); } catch { lost = 1; } }\n"
            "task thief() { SetPriority(1); Wait(50); acquire (ACQUIRE_OUT_A) { Off(OUT_A); Wait(1000); } }\n",
            {{"", 100, {variablesStart + "0,", "\"state\":\"on\"},{\"power\""}},
                {"", 500, {variablesStart + "1,", "\"outputs\":[{\"power\":7,\"direction\":\"forward\",\"state\":\"off\"}"}}}},
        {"global outputs and counters", "RCX2",
            "int c;\n"
            "task main() { SetGlobalOutput(OUT_B, OUT_OFF); SetMaxPower(OUT_A, 2); SetPower(OUT_A + OUT_B, 7);\n"
            "  On(OUT_A + OUT_B); SetGlobalDirection(OUT_C, OUT_REV); OnFwd(OUT_C);\n"
            "  IncCounter(0); IncCounter(0); DecCounter(0); c = Counter(0); SetUserDisplay(c, 2);\n"
            "  SelectDisplay(DISPLAY_USER); }\n",
            {{"", 100, {variablesStart + "1,", "\"counters\":[1,0,0]",
                           "\"display\":7,\"userDisplay\":{\"source\":0,\"argument\":0,\"decimals\":2}",
                           "\"outputs\":[{\"power\":2,\"direction\":\"forward\",\"state\":\"on\"},"
                           "{\"power\":7,\"direction\":\"forward\",\"state\":\"off\"},"
                           "{\"power\":7,\"direction\":\"reverse\",\"state\":\"on\"}]"}}}},
    };
}

enum class Downloader { Nqc, Infrabrick };

void PrintTo(Downloader downloader, std::ostream* out)
{
    *out << (downloader == Downloader::Nqc ? "nqc" : "Infrabrick");
}

class NqcProgram : public ::testing::TestWithParam<std::tuple<ProgramCase, Downloader>> {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(sim.path().empty());
        char name[] = "/tmp/infrabrick-nqc-program-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        folder = name;
    }
    void TearDown() override { fs::remove_all(folder); }

    // Compiles the program and downloads it into slot 1 the chosen way, then
    // runs it.
    void downloadAndRun(const ProgramCase& c, Downloader downloader)
    {
        const fs::path source = folder / "program.nqc";
        std::ofstream(source) << c.source;
        const std::string target = std::string("-T") + c.target + " ";
        if (downloader == Downloader::Nqc) {
            const Outcome download = run("nqc " + target + "-S" + sim.path() + " -d " + source.string() + " -run");
            ASSERT_EQ(download.status, 0) << download.output;
            return;
        }
        const fs::path compiled = folder / "program.rcx";
        const Outcome compile = run("nqc " + target + "-O" + compiled.string() + " " + source.string());
        ASSERT_EQ(compile.status, 0) << compile.output;
        Link link(sim.path());
        link.packet.startReadLoop();
        NoProgress progress;
        ASSERT_EQ(link.controller.sendProgFile(compiled.string(), progress), 0) << progress.failure;
        link.controller.runCurrentProgram();
        EXPECT_EQ(link.listener.failures, 0);
    }

    SimProcess sim{program, {"--clock", "manual"}};
    fs::path folder;
};

TEST_P(NqcProgram, RunsAsOnABrick)
{
    const auto& [c, downloader] = GetParam();
    downloadAndRun(c, downloader);
    for (const Stage& stage : c.stages) {
        if (!stage.control.empty()) {
            ASSERT_EQ(sim.control(stage.control), "ok");
        }
        ASSERT_EQ(sim.control("advance " + std::to_string(stage.milliseconds)), "ok");
        const std::string state = sim.control("state");
        for (const std::string& part : stage.expected) {
            EXPECT_TRUE(contains(state, part)) << part << "\nnot in " << state;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Groups, NqcProgram,
    ::testing::Combine(::testing::ValuesIn(cases()), ::testing::Values(Downloader::Nqc, Downloader::Infrabrick)),
    [](const ::testing::TestParamInfo<NqcProgram::ParamType>& info) {
        std::string name = std::get<0>(info.param).name;
        for (char& c : name)
            if (c == ' ')
                c = '_';
        return name + (std::get<1>(info.param) == Downloader::Nqc ? "_ByNqc" : "_ByInfrabrick");
    });

// The brick on the wall clock, its program downloaded by nqc and watched
// through Infrabrick's link.
class WallClockProgram : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(sim.path().empty()); }
    void download(const std::string& text)
    {
        const fs::path source = fs::temp_directory_path() / ("infrabrick-wall-" + std::to_string(::getpid()) + ".nqc");
        std::ofstream(source) << text;
        const Outcome download = run("nqc -TRCX -S" + sim.path() + " -d " + source.string());
        fs::remove(source);
        ASSERT_EQ(download.status, 0) << download.output;
    }

    SimProcess sim{program};
};

TEST_F(WallClockProgram, MessagesGoBothWays)
{
    download("task main() { until (Message() == 7); SendMessage(42); }\n");
    Link link(sim.path());
    link.packet.startReadLoop();
    link.controller.runCurrentProgram();
    link.controller.sendMessage(7);
    EXPECT_TRUE(waitUntil([&] { return link.packet.messagesReceived() == 1; })) << sim.control("state");
    EXPECT_EQ(link.controller.getMessage(0, 0.2f), 42);
    EXPECT_EQ(link.listener.failures, 0);
}

TEST_F(WallClockProgram, TheBrickKeepsAnsweringWhileBadProgramsRun)
{
    // A task that loops forever, one that divides by zero over and over,
    // one that meets garbage.
    download("int x, y, z;\n"
             "task main() { start divider; start garbage; while (true) x++; }\n"
             "task divider() { while (true) { y = 5; y /= z; } }\n"
             "task garbage() { asm { 0x01, 0xFF, 0x33 }; }\n");
    Link link(sim.path());
    link.packet.startReadLoop();
    link.controller.runCurrentProgram();
    int previous = -1;
    for (int poll = 0; poll < 5; ++poll) {
        EXPECT_EQ(link.controller.readBatteryLevel(), 9000);
        const int counted = link.controller.readVariable(0);
        EXPECT_NE(counted, previous);
        previous = counted;
        EXPECT_TRUE(waitUntil([&] { return link.controller.readVariable(0) != counted; }));
    }
    EXPECT_EQ(link.controller.readVariable(1), 5);
    EXPECT_EQ(link.listener.failures, 0);
    const std::string state = sim.control("state");
    EXPECT_TRUE(contains(state, "\"tasks\":[0,1]")) << state;
    EXPECT_TRUE(contains(state, "\"unknownOpcode\":{\"task\":2,\"pc\":0,\"opcode\":1}")) << state;
}

} // namespace
