// The link on a noisy infrared line: the virtual brick on a pseudo-terminal
// (fast, so that the figures take minutes rather than hours), the real
// serial port, link and controller. Each benchmark reports its figures as
// counters beside the bound it must keep:
//   polls       battery and sensors with known answers: no wrong value
//               accepted, every failure told to the listener, no call over
//               2 s, no wedged link (20 failed calls in a row, after which
//               the port is reopened so that the count goes on)
//   downloads   2 KB programs: the share that completed with exactly the
//               file's code on the brick
//   silence     the brick silent for 5 s: the first exchange after it
//               answers again succeeds, without reopening the port
// The link's diagnostics (a line for each garbled packet) are silenced; the
// figures go to the terminal.
#include "support/ProgramFiles.h"
#include "support/Recording.h"

#include "link/RCXSender.h"
#include "ports/SerialPort.h"
#include "rcx/RCXController.h"
#include "sim/Brick.h"
#include "sim/PtyTower.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int batteryMillivolts = 8250;
constexpr int sensorRaws[] = {100, 500, 900};
constexpr int wedgedAfter = 20;

// The whole stack on a fresh virtual brick.
struct Rig {
    explicit Rig(double noise, std::uint32_t seed)
    {
        brick.setBattery(batteryMillivolts);
        for (int sensor = 0; sensor < 3; ++sensor)
            brick.setSensorRaw(sensor, sensorRaws[sensor]);
        brick.setNoise(noise, seed);
        reopen();
    }
    bool reopen()
    {
        if (tower.path().empty() || port.openPort(tower.path()) != kIOReturnSuccess)
            return false;
        packet.startReadLoop();
        return true;
    }

    Brick brick;
    PtyTower tower{brick, false};
    SerialPort port;
    RCXPacket packet{port};
    RecordingListener listener;
    RCXSender sender{packet, &listener};
    RCXController controller{sender, packet};
};

int failures(const RecordingListener& listener)
{
    return listener.timeouts + listener.towerErrors;
}

// One poll: the battery or a sensor, in turn.
struct Poll {
    int value;
    int expected;
    bool reported;
    double seconds;
};

Poll poll(Rig& rig, int turn)
{
    const int before = failures(rig.listener);
    const auto start = Clock::now();
    const int which = turn % 4;
    const int value = which == 0 ? rig.controller.readBatteryLevel() : rig.controller.readInput(which);
    return {value, which == 0 ? batteryMillivolts : sensorRaws[which - 1], failures(rig.listener) > before,
            std::chrono::duration<double>(Clock::now() - start).count()};
}

void polls(benchmark::State& state)
{
    const double noise = static_cast<double>(state.range(0)) / 1000;
    const int count = static_cast<int>(state.range(1));
    for (auto _ : state) {
        Rig rig(noise, 1);
        int right = 0, reported = 0, wrong = 0, unreported = 0, wedged = 0, failedInARow = 0;
        double longest = 0;
        for (int turn = 0; turn < count; ++turn) {
            const Poll result = poll(rig, turn);
            longest = std::max(longest, result.seconds);
            const bool failed = result.value != result.expected;
            if (!failed)
                ++right;
            else if (result.value == 0 && result.reported)
                ++reported;
            else if (result.value == 0)
                ++unreported;
            else
                ++wrong;
            failedInARow = failed ? failedInARow + 1 : 0;
            if (failedInARow == wedgedAfter) {
                ++wedged;
                failedInARow = 0;
                rig.reopen();
            }
        }
        state.counters["right"] = right;
        state.counters["failedReported"] = reported;
        state.counters["failedUnreported(0)"] = unreported;
        state.counters["wrongAccepted(0)"] = wrong;
        state.counters["wedged(0)"] = wedged;
        state.counters["longestCallSeconds(2)"] = longest;
    }
}

bool holdsExactly(const Brick& brick, const std::vector<ProgramFile::Fragment>& fragments)
{
    const BrickState state = brick.snapshot();
    const ProgramSlot& slot = state.programs[0];
    return std::all_of(fragments.begin(), fragments.end(), [&](const ProgramFile::Fragment& fragment) {
        return slot.tasks[static_cast<std::size_t>(fragment.number)] == fragment.code;
    });
}

void downloads(benchmark::State& state)
{
    const double noise = static_cast<double>(state.range(0)) / 1000;
    const int count = static_cast<int>(state.range(1));
    TemporaryFolder folder;
    for (auto _ : state) {
        Rig rig(noise, 1);
        int completed = 0, exact = 0, wedged = 0;
        for (int round = 0; round < count; ++round) {
            const ProgramFile program{.fragments = {{0, 0, codeOf(1024, round)}, {0, 1, codeOf(1024, round + 1)}}};
            const std::string path = folder.write("twokb.rcx", program.bytes());
            RecordingFileOp fileOp;
            if (rig.controller.sendProgFile(path, fileOp) == 0) {
                ++completed;
                exact += holdsExactly(rig.brick, program.fragments);
            }
            // A link that no longer answers even a ping is wedged: reopen.
            if (rig.controller.readBatteryLevel() == 0 && rig.controller.readBatteryLevel() == 0) {
                ++wedged;
                rig.reopen();
            }
        }
        state.counters["completed"] = completed;
        state.counters["withExactlyTheCode"] = exact;
        state.counters["share"] = static_cast<double>(exact) / count;
        state.counters["wedged(0)"] = wedged;
    }
}

void silence(benchmark::State& state)
{
    for (auto _ : state) {
        Rig rig(0, 1);
        const bool answeredBefore = rig.controller.readBatteryLevel() == batteryMillivolts;
        rig.brick.setSilent(true);
        const auto silentUntil = Clock::now() + std::chrono::seconds(5);
        for (int turn = 0; Clock::now() < silentUntil; ++turn)
            poll(rig, turn);
        rig.brick.setSilent(false);
        int succeeded = 0;
        for (int turn = 0; turn < 4; ++turn) {
            const Poll after = poll(rig, turn);
            succeeded += after.value == after.expected;
        }
        state.counters["answeredBefore(1)"] = answeredBefore;
        state.counters["firstFourAfter(4)"] = succeeded;
    }
}

BENCHMARK(polls)->Args({10, 10000})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(downloads)->Args({10, 50})->Args({2, 100})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(silence)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // The figures go where standard output went; the link's diagnostics,
    // written to standard output, go nowhere.
    std::ofstream figures("/dev/stdout");
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere >= 0)
        ::dup2(nowhere, STDOUT_FILENO);
    benchmark::ConsoleReporter reporter;
    reporter.SetOutputStream(&figures);
    reporter.SetErrorStream(&figures);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}
