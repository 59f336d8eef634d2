// The virtual brick's speed: fast mode must keep up with the host link layer
// (at least 5000 exchanges a second in one process); realtime mode must pace
// the line within 2% of 4.58 ms a byte.
#include "support/VirtualBrick.h"

#include "sim/Brick.h"
#include "sim/PtyTower.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

void BM_FastExchanges(benchmark::State& state)
{
    VirtualBrick brick;
    RCXSender& sender = brick.sender;
    for (auto _ : state) {
        if (sender.sendCodeGet2(0x30) != 9000) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    state.counters["exchanges_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    // Exchanges a second over the 5000 required: must stay above 1.
    state.counters["ratio_to_5000"] =
        benchmark::Counter(static_cast<double>(state.iterations()) / 5000.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FastExchanges)->UseRealTime()->MinTime(2.0);

void BM_RealtimePacing(benchmark::State& state)
{
    constexpr std::size_t transfer = 10 * 1024;
    for (auto _ : state) {
        Brick brick;
        PtyTower tower(brick, true);
        const int line = ::open(tower.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios settings;
        ::tcgetattr(line, &settings);
        ::cfmakeraw(&settings);
        ::tcsetattr(line, TCSANOW, &settings);
        // Bytes that never frame: the brick hears them and stays quiet.
        const std::vector<std::uint8_t> bytes(transfer, 0x00);
        std::thread writer([&] {
            for (std::size_t sent = 0; sent < bytes.size();) {
                const ssize_t count = ::write(line, bytes.data() + sent, bytes.size() - sent);
                if (count <= 0)
                    return;
                sent += static_cast<std::size_t>(count);
            }
        });
        std::size_t echoed = 0;
        std::chrono::steady_clock::time_point first, last;
        std::uint8_t chunk[512];
        pollfd wait = {line, POLLIN, 0};
        while (echoed < transfer && ::poll(&wait, 1, 2000) > 0) {
            const ssize_t count = ::read(line, chunk, sizeof chunk);
            if (count <= 0)
                break;
            last = std::chrono::steady_clock::now();
            if (echoed == 0)
                first = last;
            echoed += static_cast<std::size_t>(count);
        }
        writer.join();
        ::close(line);
        if (echoed != transfer) {
            state.SkipWithError("echo incomplete");
            break;
        }
        const double perByte = std::chrono::duration<double, std::milli>(last - first).count() / (transfer - 1);
        const double wanted = std::chrono::duration<double, std::milli>(PtyTower::byteTime).count();
        state.counters["ms_per_byte"] = perByte;
        // Deviation from 4.58 ms a byte in percent: must stay within 2.
        state.counters["deviation_percent"] = (perByte - wanted) / wanted * 100.0;
    }
}
BENCHMARK(BM_RealtimePacing)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
