// The fast firmware install against the virtual brick, whose ROM runs the fast download image, then
// hears only a host that switched its line: the wire's bytes, zero-run cuts, fall-backs and faults.
#include "support/SRecords.h"
#include "support/VirtualBrick.h"

#include "rcx/FastDownloadImage.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

const std::string signature = "Do you byte, when I knock?";
constexpr auto normal = LineSpeed::normal, fast = LineSpeed::fast;

// `count` bytes with the signature, whose first instruction the ROM's call does not know: a firmware.
Bytes firmwareOf(std::size_t count, bool withSignature = true)
{
    Bytes image(count);
    for (std::size_t i = 0; i < count; ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 1 + i / 251);
    if (withSignature)
        std::copy(signature.begin(), signature.end(), image.begin() + 10);
    return image;
}

class FastFirmware : public ::testing::Test {
protected:
    std::string install(const Bytes& firmware)
    {
        fileOp = {};
        vb.controller.sendFirmware(folder.write("fw.lgo", recordsOf(firmware)), fileOp, RCXController::FirmwareSpeed::fast);
        return fileOp.events.back();
    }

    std::vector<std::size_t> blockSizes() const
    {
        std::vector<std::size_t> sizes;
        for (const Block& block : vb.blocks())
            sizes.push_back(block.data.size());
        return sizes;
    }

    VirtualBrick vb{false};
    TemporaryFolder folder;
    RecordingFileOp fileOp;
    const FirmwareFile imageFile = fastDownloadImage(false);
    const Bytes image = imageFile.image;
};

TEST_F(FastFirmware, TheImageGoesAtNormalSpeedThenTheFirmwareOnTheFastLineInBlocksOfTwoHundred)
{
    const Bytes firmware = firmwareOf(450);
    EXPECT_EQ(install(firmware), "stop");
    EXPECT_EQ(vb.brick.snapshot().firmware.image, ByteString(firmware.begin(), firmware.end()));
    EXPECT_TRUE(vb.brick.snapshot().firmware.present);
    std::vector<int> opcodes;
    for (const Command& command : vb.commands())
        opcodes.push_back(command[0]);
    EXPECT_EQ(opcodes, (std::vector<int>{0x10, 0x65, 0x75, 0x45, 0xA5, 0x10, 0x65, 0x75, 0x45, 0x45, 0x45, 0xA5}));
    EXPECT_EQ(vb.blocks(), (std::vector<Block>{{0, image}, {1, Bytes(firmware.begin(), firmware.begin() + 200)},
                                               {2, Bytes(firmware.begin() + 200, firmware.begin() + 400)},
                                               {0, Bytes(firmware.begin() + 400, firmware.end())}}));
    // The first fast block on the wire: no complements, one checksum byte.
    const Bytes expected = Bytes{0x55, 0xFF, 0x00, 0x45, 1, 0, 200, 0} + Bytes(firmware.begin(), firmware.begin() + 200) +
                           Bytes{std::uint8_t(std::accumulate(firmware.begin(), firmware.begin() + 200, 0))};
    Bytes sent;
    for (Bytes written : vb.port.writes())
        if (written.size() == expected.size() + 1 && (written[3] &= 0xF7) == 0x45 && sent.empty())
            sent = Bytes(written.begin(), written.end() - 1);
    EXPECT_EQ(sent, expected);
    // A probe of the port's fast line first, the switch, back for the new firmware.
    EXPECT_EQ(vb.port.lineSpeeds(), (std::vector{fast, normal, fast, normal}));
    EXPECT_NEAR(std::accumulate(fileOp.increments.begin(), fileOp.increments.end(), 0.0), 100, 1e-9);
    EXPECT_NEAR(fileOp.increments[0], 100.0 * 4 * image.size() / (4 * image.size() + 450), 1e-9) << "the image counts its normal line's time";
    EXPECT_EQ(vb.listener.failures(), 0);
}

TEST_F(FastFirmware, BlocksAreCutBeforeARunOfZerosTheReceiverWouldLoseItsSyncOn)
{
    Bytes firmware = firmwareOf(600);
    std::fill(firmware.begin() + 100, firmware.begin() + 190, 0); // 90 zeros
    std::fill(firmware.begin() + 300, firmware.begin() + 322, 0); // 22: no cut
    EXPECT_EQ(install(firmware), "stop");
    EXPECT_EQ(vb.brick.snapshot().firmware.image, ByteString(firmware.begin(), firmware.end()));
    EXPECT_EQ(blockSizes(), (std::vector<std::size_t>{image.size(), 122, 22, 22, 22, 200, 200, 12}));
}

TEST_F(FastFirmware, GoesAgainOrAtNormalSpeedWhereTheRomAllowsAndSaysSo)
{
    const Bytes firmware = firmwareOf(250);
    const struct { const char* name; std::function<void()> arrange; std::string note; std::vector<std::size_t> blocks; } cases[] = {
        {"port without a fast line", [&] { vb.port.refuseSpeeds(true); }, "The port cannot change its speed: the firmware goes at normal speed", {100, 100, 50}},
        {"brick switched off and on after the image", [&] {
             vb.afterEach = [&] { if (!vb.brick.lineMode().complements) vb.switchOffAndOn(); };
         }, "The RCX does not answer at the fast speed: the firmware goes at normal speed", {image.size(), 100, 100, 50}},
        // Two noisy bytes of the first fast block that cancel out in its 8-bit sums: only the image's 16-bit
        // checksum shows them. A ROM left on the fast line by an earlier try takes no image.
        {"image found damaged", [&] {
             vb.onTheLine = [&, damaged = false](Bytes& bytes) mutable {
                 if (!damaged && !vb.brick.lineMode().complements && bytes.size() > 10 && (bytes[3] & 0xF7) == 0x45 && bytes[4] == 1)
                     bytes[8] += 0x80, bytes[9] += 0x80, damaged = true;
             };
         }, "The firmware arrived damaged: it goes once more", {image.size(), 200, 50, 200, 50}},
        {"ROM already on the fast line", [&] {
             vb.controller.sendFirmware(folder.write("image.srec", recordsOf(image, imageFile.startAddress)), fileOp);
             vb.control("history clear");
         }, "", {200, 50}},
    };
    for (const auto& c : cases) {
        vb.port.refuseSpeeds(false);
        vb.afterEach = nullptr;
        vb.onTheLine = nullptr;
        vb.switchOffAndOn();
        c.arrange();
        EXPECT_EQ(install(firmware), "stop") << c.name;
        EXPECT_EQ(vb.brick.snapshot().firmware.image, ByteString(firmware.begin(), firmware.end())) << c.name;
        EXPECT_EQ(blockSizes(), c.blocks) << c.name;
        EXPECT_EQ(fileOp.notes, c.note.empty() ? std::vector<std::string>{} : std::vector{c.note}) << c.name;
        EXPECT_NEAR(std::accumulate(fileOp.increments.begin(), fileOp.increments.end(), 0.0), 100, 1e-9) << c.name;
        EXPECT_EQ(vb.port.lineSpeed(), normal) << c.name;
        vb.control("history clear");
    }
}

TEST_F(FastFirmware, FaultsEndWithTheirMessageAndTheLinkWorksOnceTheBrickIsSwitchedOffAndOn)
{
    const std::string switchOff = "Switch the RCX off and on, then install the firmware again.";
    const auto fastBlocksTaken = [&](std::size_t count) { return vb.blocks().size() == count + 1; };
    const struct { const char* name; Bytes firmware; std::function<void()> afterEach; std::string event; bool sent = true; } cases[] = {
        {"too large", firmwareOf(0xEF51 - 0x8000 + 1), nullptr, "abort File \"fw.lgo\" is too large for the fast download", false},
        {"silent half-way", firmwareOf(1000), [&] { if (fastBlocksTaken(2)) vb.brick.setSilent(true); },
         "abort The firmware did not get through at the fast speed. " + switchOff},
        {"port that cannot switch after the image", firmwareOf(300), [&] { if (fastBlocksTaken(0)) vb.port.refuseSpeeds(true); },
         "abort The port cannot change its speed. " + switchOff},
        {"refused at unlock", firmwareOf(300, false), nullptr, "abort The RCX refused the firmware. " + switchOff},
    };
    for (const auto& c : cases) {
        vb.control("history clear");
        vb.afterEach = c.afterEach;
        EXPECT_EQ(install(c.firmware), c.event) << c.name;
        EXPECT_TRUE(fileOp.notes.empty()) << c.name;
        EXPECT_EQ(vb.commands().empty(), !c.sent) << c.name << ": a file refused leaves the brick alone";
        vb.afterEach = nullptr;
        vb.port.refuseSpeeds(false);
        EXPECT_EQ(vb.port.lineSpeed(), normal) << c.name;
        vb.brick.setSilent(false);
        vb.switchOffAndOn();
        EXPECT_TRUE(vb.sender.isAlive()) << c.name << ": the next poll";
    }
}

TEST_F(FastFirmware, CompletesWithTheFilesImageAtOnePercentByteNoise)
{
    const Bytes firmware = firmwareOf(3000);
    vb.brick.setNoise(0.01, 1);
    EXPECT_EQ(install(firmware), "stop");
    EXPECT_EQ(vb.brick.snapshot().firmware.image, ByteString(firmware.begin(), firmware.end()));
    vb.brick.setNoise(0);
    EXPECT_TRUE(vb.sender.isAlive());
}

} // namespace
