// Reading and checking a firmware file of a full 64 KB image: this must stay
// far below the time the image takes to cross the infrared line.
#include "support/Recording.h"

#include "rcx/FirmwareFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

// 65536 data bytes in S1 records of 32 bytes, and an end record.
std::string fullImageText()
{
    std::string text;
    char line[128];
    for (int address = 0; address < 0x10000; address += 32) {
        int sum = 35 + (address >> 8) + (address & 0xFF);
        int end = std::snprintf(line, sizeof line, "S123%04X", address);
        for (int i = 0; i < 32; ++i) {
            const int byte = (address + i * 7) & 0xFF;
            sum += byte;
            end += std::snprintf(line + end, sizeof line - end, "%02X", byte);
        }
        std::snprintf(line + end, sizeof line - end, "%02X\n", ~sum & 0xFF);
        text += line;
    }
    return text + "S9030000FC\n";
}

void readFullImage(benchmark::State& state)
{
    TemporaryFolder folder;
    const std::string path = folder.write("full.lgo", fullImageText());
    for (auto _ : state) {
        const FirmwareFile firmware = readFirmwareFile(path);
        if (firmware.failure != nullptr || firmware.image.size() != 65536) {
            state.SkipWithError("the file was not read whole");
            break;
        }
        benchmark::DoNotOptimize(firmware.checksum);
    }
}

BENCHMARK(readFullImage)->Unit(benchmark::kMillisecond);

} // namespace
