#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

// Firmware download. The keys are initializer lists, so that each goes as a
// command's argument bytes as it stands.

// The key of the delete firmware (0x65) and versions (0x15) commands.
constexpr std::initializer_list<int> firmwareKey = {0x01, 0x03, 0x05, 0x07, 0x0B};
// The key of the unlock firmware command (0xA5): "LEGO" and 0xAE.
constexpr std::initializer_list<int> unlockKey = {0x4C, 0x45, 0x47, 0x4F, 0xAE};
// The brick's reply to the unlock of an image it took.
constexpr std::string_view unlockAnswer = "Just a bit off the block!";

// The most an image may hold, and how many of its first bytes the firmware
// checksum (announced by 0x75) covers.
constexpr std::size_t firmwareCapacity = 65536;
constexpr std::size_t firmwareChecksumLength = 0x4C00;
