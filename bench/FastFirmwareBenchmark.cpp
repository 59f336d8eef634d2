// brickOS's firmware on the virtual brick's realtime tower, side by side:
// Infrabrick at normal speed and on the ROM's fast line, nqc's and firmdl3's
// fast modes, and the line's own time for Infrabrick's fast sequence (each
// packet and reply at its line's byte time, the turnaround before each
// reply, the pause after deleting the firmware). Then ten fast installs at
// 1% byte noise: how many leave exactly the file's image on the brick.
#include "LineUse.h"
#include "rcx/RCXLink.h"
#include "support/Recording.h"

#include "link/RCXSender.h"
#include "ports/SerialPort.h"
#include "rcx/FirmwareFile.h"
#include "rcx/RCXController.h"
#include "sim/Brick.h"
#include "sim/PtyTower.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <map>

namespace {

using Clock = std::chrono::steady_clock;
using Speed = RCXController::FirmwareSpeed;

const std::string brickOS = "/usr/lib/brickos/brickOS.srec";
std::map<std::string, double> secondsOf;

// Seconds for one install of brickOS onto a firmware-less brick over a
// fresh realtime tower, or a negative value when the image on the brick is
// not the file's.
template <typename Install> double timed(Brick& brick, Install install)
{
    PtyTower tower(brick, true);
    const auto start = Clock::now();
    if (tower.path().empty() || !install(tower.path()))
        return -1;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return brick.snapshot().firmware.image == readFirmwareFile(brickOS).image ? seconds : -1;
}

bool infrabrick(const std::string& path, Speed speed)
{
    RecordingListener listener;
    RCXLink link(listener);
    if (link.port().setPort(AllPorts::serialType, "", path) != 0)
        return false;
    link.packet().startReadLoop();
    RecordingFileOp fileOp;
    link.controller().sendFirmware(brickOS, fileOp, speed);
    return fileOp.events.back() == "stop";
}

bool peer(const std::string& command, const std::string& path)
{
    std::string line = command;
    line.replace(line.find("%s"), 2, path);
    return std::system((line + " " + brickOS + " >/dev/null 2>&1").c_str()) == 0;
}

// The line's time for what the brick heard of Infrabrick's fast install:
// the image at the ROM's line up to the second delete, the rest at 4800
// bit/s without complements (header, data, one checksum; a reply's long
// answer one byte more for its opcode's complement).
double lineTime(const std::vector<ByteString>& history)
{
    const double normalByte = std::chrono::duration<double>(PtyTower::byteTime).count();
    const double fastByte = std::chrono::duration<double>(LineSettings{4800, Parity::none}.byteTime()).count();
    const double turnaround = std::chrono::duration<double>(PtyTower::turnaround).count();
    const auto secondDelete = std::find_if(history.begin() + 1, history.end(),
                                           [](const ByteString& c) { return withoutToggle(c[0]) == Opcode::deleteFirmware; });
    const std::vector<ByteString> normal(history.begin(), secondDelete), fast(secondDelete, history.end());
    const LineUse use = lineUse(normal);
    double seconds = static_cast<double>(use.bytes) * normalByte + use.replies * turnaround + 0.5;
    for (const ByteString& command : fast) {
        seconds += static_cast<double>(3 + command.size() + 1) * fastByte;
        const int reply = replyLength(~command[0] & 0xFF);
        if (reply > 0)
            seconds += static_cast<double>(3 + reply + 1 + (reply > 9 ? 1 : 0)) * fastByte + turnaround;
    }
    return seconds;
}

template <typename Install> void install(benchmark::State& state, const std::string& name, Install how)
{
    if (!std::filesystem::exists(brickOS)) {
        state.SkipWithError("brickos is not installed");
        return;
    }
    for (auto _ : state) {
        Brick brick(false);
        const double seconds = timed(brick, how);
        if (seconds < 0) {
            state.SkipWithError("the install failed");
            return;
        }
        secondsOf[name] = seconds;
        state.SetIterationTime(seconds);
        state.counters["seconds"] = seconds;
        if (name == "fast") {
            secondsOf["line"] = lineTime(brick.history());
            state.counters["lineSeconds"] = secondsOf["line"];
        }
    }
}

void infrabrickNormal(benchmark::State& state)
{
    install(state, "normal", [](const std::string& path) { return infrabrick(path, Speed::normal); });
}

void infrabrickFast(benchmark::State& state)
{
    install(state, "fast", [](const std::string& path) { return infrabrick(path, Speed::fast); });
}

void nqcFirmfast(benchmark::State& state)
{
    install(state, "nqc", [](const std::string& path) { return peer("nqc -S%s -firmfast", path); });
}

void firmdl3Fast(benchmark::State& state)
{
    install(state, "firmdl3", [](const std::string& path) { return peer("firmdl3 --tty=%s", path); });
}

// The figures to reach: fast/normal at most 0.30, fast against each peer at
// most 1.00, fast against the line's time at most 1.05.
void ratios(benchmark::State& state)
{
    for (auto _ : state) {
        state.SetIterationTime(0);
        const double fast = secondsOf["fast"];
        for (const char* other : {"normal", "nqc", "firmdl3", "line"})
            if (secondsOf[other] > 0)
                state.counters[std::string("fastOver_") + other] = fast / secondsOf[other];
    }
}

void fastAtOnePercentNoise(benchmark::State& state)
{
    for (auto _ : state) {
        int complete = 0;
        for (std::uint32_t seed = 1; seed <= 10; ++seed) {
            Brick brick(false);
            brick.setNoise(0.01, seed);
            complete += timed(brick, [](const std::string& path) { return infrabrick(path, Speed::fast); }) >= 0;
        }
        state.SetIterationTime(0);
        state.counters["completeOfTen"] = complete;
    }
}

BENCHMARK(infrabrickNormal)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(infrabrickFast)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(nqcFirmfast)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(firmdl3Fast)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(ratios)->Iterations(1)->UseManualTime();
BENCHMARK(fastAtOnePercentNoise)->Iterations(1)->UseManualTime();

} // namespace
