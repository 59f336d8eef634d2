// The firmware through the ROM's fast line. Infrabrick's fast download image
// goes first, at normal speed, as any firmware; once the ROM has run it, the
// ROM speaks 4800 bit/s without complements until the brick is switched off,
// and the firmware follows that way, about four times as fast.
#include "protocol/Firmware.h"
#include "protocol/Opcodes.h"
#include "protocol/TransferStatus.h"
#include "rcx/FastDownloadImage.h"
#include "rcx/Localization.h"
#include "rcx/ProgressCount.h"
#include "rcx/RCXController.h"

#include <algorithm>

namespace {

constexpr int fastBlockSize = 200;
// Blocks cut short after failures get no shorter than this.
constexpr int shortestFastBlock = 25;
// Without complements the brick's infrared receiver loses its sync on 25
// zero bytes in a row. A block's data keeps its runs 3 below that: the
// length's high byte before the data and the two checksums after it may be
// zeros too.
constexpr int longestZeroRun = 22;
// A byte on the normal line goes twice, at half the speed.
constexpr double normalLineCost = 4.0;
// The ROM keeps its line's state in RAM at 0xEF51 (the complement flag the
// image clears): a firmware reaching it would switch the line under the
// transfer. Images load at 0x8000.
constexpr std::size_t fastFirmwareCapacity = 0xEF51 - 0x8000;

const char* const notAtFastSpeed = "The RCX does not answer at the fast speed: the firmware goes at normal speed";
const char* const damagedAtFastSpeed = "The firmware arrived damaged: it goes once more";
const char* const failedAtFastSpeed =
    "The firmware did not get through at the fast speed. Switch the RCX off and on, then install the firmware again.";

// How much of `data` goes in the next block: at most `longest` bytes, cut
// before a zero run grows past longestZeroRun.
int fastBlockLength(const std::uint8_t* data, int remaining, int longest)
{
    const int length = std::min(remaining, longest);
    int zeros = 0;
    for (int i = 0; i < length; ++i) {
        zeros = data[i] == 0 ? zeros + 1 : 0;
        if (zeros > longestZeroRun)
            return i;
    }
    return length;
}

} // namespace

bool RCXController::switchLine(LineSpeed speed)
{
    return myRCXPacket.setLineSpeed(speed, RCXSender::replyTimeout) == kIOReturnSuccess;
}

std::optional<LineSpeed> RCXController::findBricksLine()
{
    const LineSpeed present = myRCXPacket.lineSpeed();
    const LineSpeed other = present == LineSpeed::normal ? LineSpeed::fast : LineSpeed::normal;
    if (myRCXSender.isAlive())
        return present;
    if (switchLine(other) && myRCXSender.isAlive())
        return other;
    switchLine(present);
    return std::nullopt;
}

const char* RCXController::installFast(const FirmwareFile& firmware, FileOp& fileOp)
{
    if (firmware.image.size() > fastFirmwareCapacity)
        return "File \"%@\" is too large for the fast download";
    ProgressCount progress(fileOp);
    if (!switchLine(LineSpeed::fast) || !switchLine(LineSpeed::normal)) {
        switchLine(LineSpeed::normal);
        progress.noteFileOp(localized("The port cannot change its speed: the firmware goes at normal speed"));
        return install(firmware, static_cast<double>(firmware.image.size()), progress);
    }
    const FirmwareFile image = fastDownloadImage(myRCXPacket.fastLineKeepsParity());
    std::optional<LineSpeed> line;
    {
        // A ROM left on the fast line by an earlier try needs no image.
        const RCXSender::QuietTimeouts quiet(myRCXSender);
        line = findBricksLine();
    }
    if (line != LineSpeed::fast) {
        const double imageCost = normalLineCost * static_cast<double>(image.image.size());
        const double total = imageCost + static_cast<double>(firmware.image.size());
        if (const char* failure = install(image, total / normalLineCost, progress)) {
            // The unlock's answer may be lost while the ROM ran the image. A
            // brick silent on both lines fails here, as at normal speed.
            const RCXSender::QuietTimeouts quiet(myRCXSender);
            if (findBricksLine() != LineSpeed::fast)
                return fallBack(firmware, failure, progress);
        } else if (!switchLine(LineSpeed::fast)) {
            return "The port cannot change its speed. Switch the RCX off and on, then install the firmware again.";
        }
    }
    return installOnFastLine(firmware, progress);
}

const char* RCXController::installOnFastLine(const FirmwareFile& firmware, ProgressCount& progress)
{
    bool unlocked = false;
    {
        const RCXSender::QuietTimeouts quiet(myRCXSender);
        if (findBricksLine() != LineSpeed::fast)
            return fallBack(firmware, failedAtFastSpeed, progress);
        FastTransfer transfer = sendFastImage(firmware, progress);
        if (transfer == FastTransfer::damaged) {
            progress.noteFileOp(localized(damagedAtFastSpeed));
            transfer = sendFastImage(firmware, progress);
        }
        if (transfer != FastTransfer::sent)
            return fallBack(firmware, failedAtFastSpeed, progress);
        unlocked = unlockFirmware();
        // The new firmware speaks the normal line; a ROM that refused it
        // stays on the fast one until it is switched off, and then speaks
        // normal too. The unlock's answer may be lost while the firmware
        // took over: it answers on the normal line, the ROM does not.
        switchLine(LineSpeed::normal);
        unlocked = unlocked || readVersions().hasFirmware();
    }
    return unlocked ? nullptr
                    : "The RCX refused the firmware. Switch the RCX off and on, then install the firmware again.";
}

const char* RCXController::fallBack(const FirmwareFile& firmware, const char* failure, ProgressCount& progress)
{
    std::optional<LineSpeed> line;
    {
        const RCXSender::QuietTimeouts quiet(myRCXSender);
        line = findBricksLine();
    }
    if (line != LineSpeed::normal) {
        switchLine(LineSpeed::normal);
        return failure;
    }
    progress.noteFileOp(localized(notAtFastSpeed));
    return install(firmware, progress.totalForRest(firmware.image.size()), progress);
}

RCXController::FastTransfer RCXController::sendFastImage(const FirmwareFile& firmware, ProgressCount& progress)
{
    deleteFirmware();
    if (!beginFirmware(firmware))
        return FastTransfer::failed;
    return sendFastBlocks(firmware.image, progress.totalForRest(firmware.image.size()), progress);
}

RCXController::FastTransfer RCXController::sendFastBlocks(const std::vector<std::uint8_t>& image, double progressTotal,
                                                          FileOp& fileOp)
{
    const int length = static_cast<int>(image.size());
    int offset = 0;
    int index = 1;
    int longest = fastBlockSize;
    int failures = 0;
    while (offset < length) {
        // A block goes again as it was: the brick may have stored it with
        // its status lost, and takes only the very same block as its repeat.
        const int size = fastBlockLength(image.data() + offset, length - offset, longest);
        const int number = offset + size == length ? 0 : index; // the last block is always block 0
        while (const int status = myRCXSender.sendBlock(static_cast<std::uint16_t>(number),
                                                        static_cast<std::uint16_t>(size), image.data() + offset)) {
            // Without complements two noisy bytes of a block can cancel out
            // in both its sums; the image's own checksum still shows them.
            if (number == 0 && status == firmwareChecksumError)
                return FastTransfer::damaged;
            if (++failures == maxDownloadErrors)
                return FastTransfer::failed;
            // A noisy line loses long blocks far more often than short ones.
            longest = std::max(shortestFastBlock, longest / 2);
        }
        offset += size;
        ++index;
        failures = 0;
        fileOp.advanceBy(size * 100.0 / progressTotal);
    }
    return FastTransfer::sent;
}
