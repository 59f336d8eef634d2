// An NQC source downloaded against the same program compiled beforehand,
// into the in-process virtual brick: what compiling adds to a download (the
// child process, the compiler's run, the temporary file). The bound is
// 150 ms; `added_ms` is the difference of the two means.
#include "support/VirtualBrick.h"

#include "rcx/ProgramFileDownload.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

const std::string source = INFRABRICK_SOURCE_DIR "/examples/line-follower.nqc";
constexpr double boundMilliseconds = 150;

double millisecondsOf(const std::function<void()>& download)
{
    const auto start = Clock::now();
    download();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void SourceAgainstCompiledDownload(benchmark::State& state)
{
    VirtualBrick brick;
    RecordingFileOp fileOp;
    ProgramFileDownload files(brick.controller);
    const TemporaryFolder folder;
    const std::string compiled = folder.path("line-follower.rcx");
    if (NqcCompiler().compile(source, BrickTarget::rcx, compiled).outcome != Compilation::compiled) {
        state.SkipWithError("nqc did not compile the example");
        return;
    }
    double compiledTotal = 0, sourceTotal = 0;
    for (auto _ : state) {
        compiledTotal += millisecondsOf([&] { files.download(compiled, fileOp); });
        sourceTotal += millisecondsOf([&] { files.download(source, fileOp); });
    }
    const double iterations = static_cast<double>(state.iterations());
    const double added = (sourceTotal - compiledTotal) / iterations;
    state.counters["compiled_ms"] = compiledTotal / iterations;
    state.counters["source_ms"] = sourceTotal / iterations;
    state.counters["added_ms"] = added;
    if (added > boundMilliseconds)
        state.SkipWithError("compiling adds more than 150 ms");
}
BENCHMARK(SourceAgainstCompiledDownload)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
