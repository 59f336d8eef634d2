// NQC's programs, downloaded by nqc, run on the virtual brick as on a brick.
#include "Peers.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// Programs on what the interpreter's own tests leave out; after each control command (if any) and time, the state's parts.
struct Stage { std::string control; int milliseconds; std::vector<std::string> expected; };

const std::string variables = "\"variables\":[";
const struct { const char* name; const char* target; const char* source; std::vector<Stage> stages; } programs[] = {
    {"datalog", "RCX", "int x;\ntask main() { CreateDatalog(5); x = 12; AddToDatalog(x); Wait(150);\n  AddToDatalog(Timer(0)); AddToDatalog(SENSOR_1); }\n",
     {{"", 2000, {"\"datalog\":{\"size\":5,\"entries\":[[255,4],[0,12],[32,15],[64,1023]]}"}}}},
    {"events", "RCX2", "int hit, high, x;\ntask main() { start timed; SetSensor(SENSOR_1, SENSOR_TOUCH); SetEvent(1, SENSOR_1, EVENT_TYPE_PRESSED);\n"
                       "  monitor (EVENT_MASK(1)) { Wait(10000); } catch { hit = 1; } }\n"
                       "task timed() { SetEvent(2, Timer(0), EVENT_TYPE_HIGH); SetUpperLimit(2, 5); ClearTimer(0);\n"
                       "  monitor (EVENT_MASK(2)) { while (true) x++; } catch { high = 1; } }\n",
     {{"", 300, {variables + "0,0,"}}, {"sensor 1 raw 100", 400, {variables + "1,1,"}}}},
    {"access control", "RCX2", "int lost;\ntask main() { SetPriority(2); start thief;\n  acquire (ACQUIRE_OUT_A) { On(OUT_A); Wait(1000); } catch { lost = 1; } }\n"
                               "task thief() { SetPriority(1); Wait(50); acquire (ACQUIRE_OUT_A) { Off(OUT_A); Wait(1000); } }\n",
     {{"", 100, {variables + "0,", "\"state\":\"on\"},{\"power\""}},
      {"", 500, {variables + "1,", "\"outputs\":[{\"power\":7,\"direction\":\"forward\",\"state\":\"off\"}"}}}},
    {"access at equal priority", "RCX2", "int lost;\ntask main() { SetPriority(2); start thief;\n  acquire (ACQUIRE_OUT_A) { Wait(1000); } catch { lost = 1; } }\n"
                                        "task thief() { SetPriority(2); Wait(50); acquire (ACQUIRE_OUT_A) { Wait(1000); } }\n",
     {{"", 100, {variables + "0,"}}, {"", 500, {variables + "1,"}}}},
    {"global outputs and counters", "RCX2", "int c;\ntask main() { SetGlobalOutput(OUT_B, OUT_OFF); SetMaxPower(OUT_A, 2); SetPower(OUT_A + OUT_B, 7);\n"
                                            "  On(OUT_A + OUT_B); SetGlobalDirection(OUT_C, OUT_REV); OnFwd(OUT_C);\n"
                                            "  IncCounter(0); IncCounter(0); DecCounter(0); c = Counter(0); SetUserDisplay(c, 2);\n"
                                            "  SelectDisplay(DISPLAY_USER); }\n",
     {{"", 100, {variables + "1,", "\"counters\":[1,0,0]", "\"display\":7,\"userDisplay\":{\"source\":0,\"argument\":0,\"decimals\":2}",
                 "\"outputs\":[{\"power\":2,\"direction\":\"forward\",\"state\":\"on\"},{\"power\":7,\"direction\":\"forward\",\"state\":\"off\"},"
                 "{\"power\":7,\"direction\":\"reverse\",\"state\":\"on\"}]"}}}},
};

TEST(NqcProgram, RunsAsOnABrickDownloadedByNqc)
{
    for (const auto& p : programs) {
        SCOPED_TRACE(p.name);
        TemporaryFolder folder;
        SimProcess sim(INFRABRICK_SIM, {"--clock", "manual"});
        std::ofstream(folder.path("p.nqc")) << p.source;
        const auto [status, output] = run(std::string("nqc -T") + p.target + " -S" + sim.path() + " -d " + folder.path("p.nqc") + " -run");
        ASSERT_EQ(status, 0) << output;
        for (const Stage& stage : p.stages) {
            ASSERT_EQ(stage.control.empty() ? "ok" : sim.control(stage.control), "ok");
            ASSERT_EQ(sim.control("advance " + std::to_string(stage.milliseconds)), "ok");
            const std::string state = sim.state();
            for (const std::string& part : stage.expected)
                EXPECT_TRUE(contains(state, part)) << part << "\nnot in " << state;
        }
    }
}

} // namespace
