#pragma once

#include <cstdint>

// The status a brick answers a transfer data block (0x45) with.
enum TransferStatus : std::uint8_t {
    blockAccepted = 0,
    // The block's data checksum is wrong.
    blockChecksumError = 3,
    // The last firmware block came, but the image's checksum differs from
    // the announced one.
    firmwareChecksumError = 4,
    // No download is going on, the block number is out of sequence, or the
    // data overruns the announced length or the image's capacity.
    blockOutOfSequence = 6,
};
