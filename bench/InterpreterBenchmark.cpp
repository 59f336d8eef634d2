// The interpreter's speed: with the manual clock a compute-bound program must
// run at least 5 million byte-code instructions a second on one core (a
// brick manages a few thousand); a polling host must see no slower replies
// while ten tasks run on the wall clock.
#include "support/Bytes.h"
#include "support/VirtualBrick.h"

#include "sim/Brick.h"
#include "sim/Scheduler.h"

#include <benchmark/benchmark.h>


namespace {

// Forever: add 1 to variable 0, multiply variable 1 by 3, subtract variable
// 0 from variable 2, then branch back: instructions that never wait.
const Bytes computeBound = {0x24, 0, 2, 1, 0, 0x54, 1, 2, 3, 0, 0x34, 2, 0, 0, 0, 0x27, 0x90};

// Loads the compute-bound code as tasks 0 to count - 1 and starts them.
void startTasks(Brick& brick, int count)
{
    const auto length = static_cast<std::uint8_t>(computeBound.size());
    for (int task = 0; task < count; ++task) {
        const auto number = static_cast<std::uint8_t>(task);
        brick.receive(framed({0x25, 0, number, 0, length, 0}));
        brick.receive(framed(block(0x45, 0, computeBound)));
    }
    for (int task = 0; task < count; ++task)
        brick.receive(framed({static_cast<std::uint8_t>(task % 2 ? 0x71 : 0x79), static_cast<std::uint8_t>(task)}));
}

void BM_ComputeBoundManualClock(benchmark::State& state)
{
    const int tasks = static_cast<int>(state.range(0));
    Brick brick(true, BrickClock::Kind::Manual);
    startTasks(brick, tasks);
    constexpr int milliseconds = 1000;
    for (auto _ : state)
        brick.advance(milliseconds);
    if (brick.snapshot().runningTasks().size() != static_cast<std::size_t>(tasks)) {
        state.SkipWithError("the tasks stopped");
        return;
    }
    // Each busy task runs a whole slice every millisecond.
    const double instructions =
        static_cast<double>(state.iterations()) * milliseconds * tasks * Interpreter::sliceLength;
    state.counters["instructions_per_s"] = benchmark::Counter(instructions, benchmark::Counter::kIsRate);
    // Over the 5 million required: must stay above 1.
    state.counters["ratio_to_5M"] = benchmark::Counter(instructions / 5e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ComputeBoundManualClock)->Arg(1)->Arg(10)->UseRealTime()->MinTime(2.0);

// A host polling the battery, with no task running (0) and with ten
// compute-bound tasks on the wall clock (10): the time a poll takes must be
// about the same.
void BM_PollWhileTasksRun(benchmark::State& state)
{
    VirtualBrick virtualBrick;
    Brick& brick = virtualBrick.brick;
    Scheduler scheduler(brick);
    RCXSender& sender = virtualBrick.sender;
    startTasks(brick, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (sender.sendCodeGet2(0x30) != 9000) {
            state.SkipWithError("poll failed");
            break;
        }
    }
    state.counters["tasks_running"] = static_cast<double>(brick.snapshot().runningTasks().size());
}
BENCHMARK(BM_PollWhileTasksRun)->Arg(0)->Arg(10)->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace
