// A 2 KB program through the emulated USB tower, its infrared paced at
// 2400 bit/s as the realtime virtual brick's: the time the download takes,
// divided by what the line itself costs, every packet the host sent and
// every reply one after the other at one byte time each (the USB tower has
// no echo). A ratio of 1.01 means the host adds 1% to the line. The
// emulated bus needs umockdev's wrapper: the benchmark starts itself again
// under it.
#include "LineUse.h"
#include "support/ProgramFiles.h"
#include "support/USBBrick.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void programOf2KB(benchmark::State& state)
{
    TemporaryFolder folder;
    const ProgramFile program{.fragments = {{0, 0, codeOf(1024, 1)}, {0, 1, codeOf(1024, 2)}}};
    const std::string path = folder.write("twokb.rcx", program.bytes());
    for (auto _ : state) {
        USBBrick usb(state.range(0) != 0);
        RecordingFileOp fileOp;
        const auto start = std::chrono::steady_clock::now();
        usb.controller.sendProgFile(path, fileOp);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (fileOp.events.empty() || fileOp.events.back() != "stop") {
            state.SkipWithError("the download failed");
            return;
        }
        const double byteTime = std::chrono::duration<double>(LineSettings{}.byteTime()).count();
        const double bound = static_cast<double>(lineUse(usb.brick.history()).bytes) * byteTime;
        state.SetIterationTime(seconds);
        state.counters["seconds"] = seconds;
        state.counters["bound"] = bound;
        state.counters["ratio"] = seconds / bound;
        state.counters["retries"] = usb.usb.listener.failures();
    }
}

BENCHMARK(programOf2KB)->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    if (const char* preload = std::getenv("LD_PRELOAD"); !preload || !std::strstr(preload, "umockdev")) {
        std::vector<char*> wrapped{const_cast<char*>("umockdev-wrapper")};
        wrapped.insert(wrapped.end(), argv, argv + argc + 1);
        execvp(wrapped[0], wrapped.data());
        std::perror("umockdev-wrapper");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
