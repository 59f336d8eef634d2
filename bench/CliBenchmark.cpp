// infrabrick-cli end to end, as a process on the virtual brick's tower:
// `status` on a line without pacing (the program's own start, the port and
// its exchanges), and a 2 KB program download on the realtime line, divided
// by what the line itself costs, as the window's download is measured.
#include "LineUse.h"
#include "support/ProgramFiles.h"
#include "support/Recording.h"

#include "sim/PtyTower.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

namespace {

using Clock = std::chrono::steady_clock;

// Runs infrabrick-cli with `arguments`, its output thrown away; its exit status.
int runCli(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), {INFRABRICK_CLI, "--quiet"});
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    int status = -1;
    if (posix_spawn(&child, INFRABRICK_CLI, &actions, nullptr, argv.data(), environ) == 0)
        ::waitpid(child, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void cliStatus(benchmark::State& state)
{
    Brick brick(true);
    PtyTower tower(brick, false);
    for (auto _ : state)
        if (runCli({"--port", tower.path(), "status"}) != 0)
            state.SkipWithError("status failed");
}

void cliDownloadOf2KB(benchmark::State& state)
{
    TemporaryFolder folder;
    const ProgramFile program{.fragments = {{0, 0, codeOf(1024, 1)}, {0, 1, codeOf(1024, 2)}}};
    const std::string path = folder.write("twokb.rcx", program.bytes());
    for (auto _ : state) {
        Brick brick(true);
        PtyTower tower(brick, true);
        const auto start = Clock::now();
        if (runCli({"--port", tower.path(), "download", path}) != 0) {
            state.SkipWithError("the download failed");
            return;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const LineUse use = lineUse(brick.history());
        const double bound = static_cast<double>(use.bytes) * std::chrono::duration<double>(PtyTower::byteTime).count();
        reportLineTime(state, seconds, bound, use.replies);
    }
}

BENCHMARK(cliStatus)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(cliDownloadOf2KB)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
