// Files made by programs no one here wrote, sent into the virtual brick:
// programs nqc compiled, and brickOS's firmware as srec_cat reads it.
#include "VirtualBrick.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

const std::string fixtures = INFRABRICK_RCX_FIXTURES;
const std::string brickOS = "/usr/lib/brickos/brickOS.srec";

int at2(const Bytes& bytes, std::size_t offset)
{
    return bytes.at(offset) | bytes.at(offset + 1) << 8;
}

TEST(Peers, ProgramsCompiledByNqcDownloadByteForByteWithTheirNames)
{
    for (const std::string name : {"blink", "tasks"}) {
        VirtualBrick brick;
        RecordingFileOp fileOp;
        const std::string path = fixtures + "/" + name + ".rcx";
        brick.controller.selectProgram(3);
        ASSERT_EQ(brick.controller.sendProgFile(path, fileOp), 0) << path;
        EXPECT_EQ(brick.controller.progName(3), name);
        double progress = 0;
        for (double increment : fileOp.increments)
            progress += increment;
        EXPECT_NEAR(progress, 100, 1e-9);
        // The file read here on its own terms: each fragment's code is in
        // the slot, each symbol names its task, subroutine or variable.
        std::ifstream in(path, std::ios::binary);
        const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const ProgramSlot slot = brick.brick.snapshot().programs[2];
        std::size_t offset = 12;
        for (int i = 0; i < at2(bytes, 6); ++i) {
            const auto code = bytes.begin() + static_cast<long>(offset) + 4;
            const ByteString& stored = bytes[offset] == 0 ? slot.tasks.at(bytes[offset + 1]) : slot.subs.at(bytes[offset + 1]);
            EXPECT_EQ(stored, Bytes(code, code + at2(bytes, offset + 2))) << name << " fragment " << i;
            offset += 4 + at2(bytes, offset + 2) + ((4 - at2(bytes, offset + 2)) & 3);
        }
        ASSERT_GT(at2(bytes, 8), 0);
        for (int i = 0; i < at2(bytes, 8); ++i) {
            const std::string symbol(bytes.begin() + static_cast<long>(offset) + 4,
                                     bytes.begin() + static_cast<long>(offset) + 3 + bytes[offset + 2]);
            const int index = bytes[offset + 1];
            RCXController& c = brick.controller;
            EXPECT_EQ(bytes[offset] == 0 ? c.taskName(3, index + 1) : bytes[offset] == 1 ? c.subName(3, index + 1) : c.varName(3, index), symbol);
            offset += 4 + bytes[offset + 2];
        }
        EXPECT_EQ(brick.listener.failures(), 0);
    }
}

TEST(Peers, BrickOSInstallsAsSrecCatReadsIt)
{
    if (std::system("command -v srec_cat >/dev/null") != 0 || !std::filesystem::exists(brickOS))
        GTEST_SKIP() << "srecord or brickos is not installed";
    TemporaryFolder folder;
    // srec_cat writes the data from its lowest address on, gaps filled.
    ASSERT_EQ(std::system(("srec_cat " + brickOS + " -offset - -minimum-addr " + brickOS + " -o '" +
                           folder.path("brickOS.bin") + "' -binary").c_str()), 0);
    const Bytes image = folder.read("brickOS.bin");
    ASSERT_GT(image.size(), 10000u);
    VirtualBrick brick;
    RecordingFileOp fileOp;
    brick.controller.sendFirmware(brickOS, fileOp);
    EXPECT_EQ(fileOp.events.back(), "stop");
    const FirmwareState firmware = brick.brick.snapshot().firmware;
    EXPECT_EQ(firmware.image, image);
    EXPECT_EQ(firmware.address, 0x801A) << "the file's S9 record";
    EXPECT_TRUE(firmware.checksumMatched && firmware.present && firmware.unlocked);
    EXPECT_EQ(brick.listener.failures(), 0);
}

} // namespace
