#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A firmware file read and checked whole: the data of its S1 records one
// after the other from offset 0 (at most firmwareCapacity bytes), the
// firmware checksum over the first firmwareChecksumLength bytes, and the
// start address of its last S9 record.
struct FirmwareFile {
    std::vector<std::uint8_t> image;
    std::uint16_t checksum = 0;
    int startAddress = -1;
    // The failure's message key ("%@" the file name), or null when the file
    // is good.
    const char* failure = nullptr;
};

FirmwareFile readFirmwareFile(const std::string& path);
// The same from S-record text in memory.
FirmwareFile readFirmwareRecords(std::string_view text);
