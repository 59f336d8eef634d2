// Reading and checking a firmware file of a full 64 KB image: this must stay
// far below the time the image takes to cross the infrared line.
#include "support/Recording.h"
#include "support/SRecords.h"

#include "rcx/FirmwareFile.h"

#include <benchmark/benchmark.h>

namespace {

// 65536 data bytes in S1 records of 32 bytes, and an end record.
std::string fullImageText()
{
    Bytes image(0x10000);
    for (std::size_t at = 0; at < image.size(); ++at)
        image[at] = std::uint8_t((at & ~std::size_t(31)) + (at & 31) * 7);
    return recordsOf(image, 0, 0, 32);
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
