// brickOS's firmware, a file no one here wrote, installed into the virtual
// brick: the image must be the one srec_cat reads from the file.
#include "VirtualBrick.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(Peers, BrickOSInstallsAsSrecCatReadsIt)
{
    const std::string brickOS = "/usr/lib/brickos/brickOS.srec";
    if (std::system("command -v srec_cat >/dev/null") != 0 || !std::filesystem::exists(brickOS))
        GTEST_SKIP() << "srecord or brickos is not installed";
    TemporaryFolder folder;
    // srec_cat writes the data from its lowest address on, gaps filled.
    ASSERT_EQ(std::system(("srec_cat " + brickOS + " -offset - -minimum-addr " + brickOS + " -o " + folder.path("image") +
                           " -binary").c_str()), 0);
    ASSERT_GT(folder.read("image").size(), 10000u);
    VirtualBrick brick;
    RecordingFileOp fileOp;
    brick.controller.sendFirmware(brickOS, fileOp);
    EXPECT_EQ(fileOp.events.back(), "stop");
    const FirmwareState firmware = brick.brick.snapshot().firmware;
    EXPECT_EQ(firmware.image, folder.read("image"));
    EXPECT_EQ(firmware.address, 0x801A) << "the file's S9 record";
    EXPECT_TRUE(firmware.checksumMatched && firmware.present && firmware.unlocked);
    EXPECT_EQ(brick.listener.failures(), 0);
}

} // namespace
