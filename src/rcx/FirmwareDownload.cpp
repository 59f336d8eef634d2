#include "protocol/Firmware.h"
#include "protocol/Opcodes.h"
#include "protocol/Words.h"
#include "rcx/FileReaders.h"
#include "rcx/FirmwareFile.h"
#include "rcx/Localization.h"
#include "rcx/RCXController.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string_view>
#include <thread>

namespace {

// Lines are read up to this many characters; the rest of a longer line is
// read as the next line.
constexpr int lineCapacity = 255;
constexpr int imageBlockSize = 100;
constexpr int unlockReplyLength = static_cast<int>(unlockAnswer.size());
constexpr auto pauseAfterDelete = std::chrono::milliseconds(500);

const char* const illegalCharacter = "File \"%@\" has an illegal character";

// Appends an S1 record's data to the image; the failure's key, or null.
const char* readDataRecord(std::string_view line, FirmwareFile& firmware)
{
    const int count = readHexByte(line, 2);
    if (count < 3)
        return "File \"%@\" has an illegal line length";
    const int addressHigh = readHexByte(line, 4);
    const int addressLow = readHexByte(line, 6);
    const int checksum = readHexByte(line, 2 * count + 2);
    if (addressHigh < 0 || addressLow < 0 || checksum < 0)
        return illegalCharacter;
    int sum = count + addressHigh + addressLow + checksum;
    for (int i = 0; i < count - 3; ++i) {
        const int byte = readHexByte(line, 8 + 2 * i);
        if (byte < 0)
            return illegalCharacter;
        if (firmware.image.size() == firmwareCapacity)
            return "File \"%@\" is too large";
        if (firmware.image.size() < firmwareChecksumLength)
            firmware.checksum = static_cast<std::uint16_t>(firmware.checksum + byte);
        firmware.image.push_back(static_cast<std::uint8_t>(byte));
        sum += byte;
    }
    return (sum & 0xFF) == 0xFF ? nullptr : "File \"%@\" has a checksum error";
}

const char* readEndRecord(std::string_view line, FirmwareFile& firmware)
{
    const int addressHigh = readHexByte(line, 4);
    const int addressLow = readHexByte(line, 6);
    if (readHexByte(line, 2) != 3 || addressHigh < 0 || addressLow < 0)
        return illegalCharacter;
    firmware.startAddress = addressHigh * 256 + addressLow;
    return nullptr;
}

const char* readRecord(std::string_view line, FirmwareFile& firmware)
{
    if (!line.empty() && (line.front() == '\n' || line.front() == '\r'))
        line.remove_prefix(1);
    if (line.empty() || line.front() != 'S')
        return "File \"%@\" is not an S-Record file";
    if (line.size() < 2)
        return nullptr;
    if (line[1] == '1')
        return readDataRecord(line, firmware);
    if (line[1] == '9')
        return readEndRecord(line, firmware);
    return nullptr; // S0 and the other record types carry nothing we use
}

const char* readRecords(std::FILE* file, FirmwareFile& firmware)
{
    char line[lineCapacity + 1];
    while (std::fgets(line, sizeof line, file) != nullptr)
        if (const char* failure = readRecord(std::string_view(line, std::strlen(line)), firmware))
            return failure;
    if (firmware.startAddress < 0)
        return "File \"%@\" has no start address";
    // Without data the brick would lose its firmware for nothing.
    if (firmware.image.empty())
        return "File \"%@\" contains no firmware";
    return nullptr;
}

} // namespace

namespace {

FirmwareFile readFirmware(OpenFile file)
{
    FirmwareFile firmware;
    firmware.image.reserve(firmwareCapacity);
    if (file)
        firmware.failure = readRecords(file.get(), firmware);
    else
        firmware.failure = "Can't open file \"%@\"";
    return firmware;
}

} // namespace

FirmwareFile readFirmwareFile(const std::string& path)
{
    return readFirmware(openFile(path, "r"));
}

FirmwareFile readFirmwareRecords(std::string_view text)
{
    std::string copy(text);
    return readFirmware(OpenFile(fmemopen(copy.data(), copy.size(), "r")));
}

void RCXController::sendFirmware(const std::string& path, FileOp& fileOp, FirmwareSpeed speed)
{
    const std::string fileName = fileNameOf(path);
    fileOp.startFileOp(localizedFormat("Installing firmware file \"%@\"", {fileName}));
    const FirmwareFile firmware = readFirmwareFile(path);
    const char* failure = firmware.failure;
    if (failure == nullptr)
        failure = speed == FirmwareSpeed::fast ? installFast(firmware, fileOp)
                                               : install(firmware, static_cast<double>(firmware.image.size()), fileOp);
    if (failure != nullptr)
        fileOp.abortFileOp(localizedFormat(failure, {fileName}));
    else
        fileOp.stopFileOp();
}

const char* RCXController::install(const FirmwareFile& firmware, double progressTotal, FileOp& fileOp)
{
    deleteFirmware();
    std::this_thread::sleep_for(pauseAfterDelete);
    if (!beginFirmware(firmware))
        return "Firmware download error";
    if (!sendBlocks(firmware.image.data(), static_cast<int>(firmware.image.size()), imageBlockSize, progressTotal,
                    fileOp))
        return "Too many download errors";
    return unlockFirmware() ? nullptr : "Firmware download error";
}

bool RCXController::beginFirmware(const FirmwareFile& firmware)
{
    const int address = firmware.startAddress;
    const int checksum = firmware.checksum;
    return myRCXSender.sendCodeGet1(Opcode::beginFirmware,
                                    {lowByte(address), highByte(address), lowByte(checksum), highByte(checksum), 0}) == 0;
}

bool RCXController::unlockFirmware()
{
    std::uint8_t unlockReply[unlockReplyLength];
    myRCXSender.sendCodeGetBlock(Opcode::unlockFirmware, unlockReply, unlockReplyLength, unlockKey);
    return std::equal(unlockAnswer.begin(), unlockAnswer.end(), unlockReply);
}
