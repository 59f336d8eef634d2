// Downloads over the virtual brick's realtime tower (2400 bit/s on a
// pseudo-terminal, through the serial port): the time a 2 KB program and
// brickOS's firmware take, divided by what the line itself costs. The bound
// counts every packet the host sent and every reply, one after the other, at
// one byte time each (the tower's echo comes back while the host sends, so
// it adds nothing), plus the pause after deleting the firmware. A ratio of
// 1.05 means the host adds 5% to the line. The second ratio also counts the
// brick's turnaround before each reply.
#include "LineUse.h"
#include "support/ProgramFiles.h"
#include "support/Recording.h"

#include "link/RCXSender.h"
#include "ports/SerialPort.h"
#include "protocol/Opcodes.h"
#include "rcx/RCXController.h"
#include "sim/Brick.h"
#include "sim/PtyTower.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

namespace {

using Clock = std::chrono::steady_clock;

const std::string brickOS = "/usr/lib/brickos/brickOS.srec";
constexpr double firmwarePause = 0.5;

// One transfer over a fresh realtime tower; reports seconds, the bound and
// their ratio.
template <typename Transfer> void measure(benchmark::State& state, bool firmwarePresent, double pauses, Transfer transfer)
{
    for (auto _ : state) {
        Brick brick(firmwarePresent);
        PtyTower tower(brick, true);
        SerialPort port;
        if (tower.path().empty() || port.openPort(tower.path()) != 0) {
            state.SkipWithError("no realtime tower");
            return;
        }
        RCXPacket packet(port);
        packet.startReadLoop();
        RecordingListener listener;
        RCXSender sender(packet, &listener);
        RCXController controller(sender, packet);
        RecordingFileOp fileOp;

        const auto start = Clock::now();
        transfer(controller, fileOp);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (fileOp.events.empty() || fileOp.events.back() != "stop") {
            state.SkipWithError("the transfer failed");
            return;
        }
        const double byteTime = std::chrono::duration<double>(PtyTower::byteTime).count();
        const LineUse use = lineUse(brick.history());
        const double bound = static_cast<double>(use.bytes) * byteTime + pauses;
        // The brick's turnarounds are time the host cannot save either.
        reportLineTime(state, seconds, bound, use.replies);
        state.counters["retries"] = listener.timeouts + listener.towerErrors;
    }
}

void programOf2KB(benchmark::State& state)
{
    TemporaryFolder folder;
    const ProgramFile program{.fragments = {{0, 0, codeOf(1024, 1)}, {0, 1, codeOf(1024, 2)}}};
    const std::string path = folder.write("twokb.rcx", program.bytes());
    measure(state, true, 0, [&](RCXController& controller, RecordingFileOp& fileOp) {
        controller.sendProgFile(path, fileOp);
    });
}

void brickOSFirmware(benchmark::State& state)
{
    if (!std::filesystem::exists(brickOS)) {
        state.SkipWithError("brickos is not installed");
        return;
    }
    measure(state, true, firmwarePause, [&](RCXController& controller, RecordingFileOp& fileOp) {
        controller.sendFirmware(brickOS, fileOp);
    });
}

BENCHMARK(programOf2KB)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(brickOSFirmware)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
