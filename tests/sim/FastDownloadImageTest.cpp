// The fast download images as built, read by the firmware reader and run by the H8/300 interpreter as the ROM would.
#include "protocol/Firmware.h"
#include "rcx/FirmwareFile.h"
#include "sim/h8300/H8Cpu.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using h8300::H8Cpu;

constexpr std::uint16_t smr = 0xFFD8, brr = 0xFFD9, sendComplements = 0xEF51;
// The ROM's line before the call: 2400 bit/s, 8 bits, odd parity, complements on.
constexpr std::uint8_t smr2400OddParity = 0x30;

// Each image loads at 0x8000 within the summed length, sets the bit rate register to 103, turns complements off
// (the serial one parity too) and returns; memory but the stack below the caller's and all registers stay put.
TEST(FastDownloadImage, IsAFirmwareFileThatSwitchesTheRomsLineAndReturns)
{
    for (const auto& [path, smrAfter] : {std::pair<const char*, std::uint8_t>{INFRABRICK_FAST_DOWNLOAD_SERIAL, 0x10}, // parity enable (bit 5) cleared
                                         {INFRABRICK_FAST_DOWNLOAD_USB, smr2400OddParity}}) {
        SCOPED_TRACE(path);
        const FirmwareFile firmware = readFirmwareFile(path);
        ASSERT_EQ(firmware.failure, nullptr);
        EXPECT_EQ(firmware.startAddress, 0x8000);
        EXPECT_LT(firmware.image.size(), firmwareChecksumLength);

        H8Cpu cpu;
        H8Cpu::Memory& memory = cpu.memory();
        for (std::size_t address = 0; address < memory.size(); ++address)
            memory[address] = static_cast<std::uint8_t>(address * 7 + 3);
        std::copy(firmware.image.begin(), firmware.image.end(), memory.begin() + firmware.startAddress);
        memory[smr] = smr2400OddParity;
        memory[brr] = 207;
        memory[sendComplements] = 1;
        for (int n = 0; n < 7; ++n)
            cpu.setReg(n, static_cast<std::uint16_t>(0x1111 * (n + 1)));
        H8Cpu::Memory expected = memory;
        expected[smr] = smrAfter;
        expected[brr] = 103;
        expected[sendComplements] = 0;

        const h8300::CallOutcome outcome = cpu.call(static_cast<std::uint16_t>(firmware.startAddress), 100);
        ASSERT_EQ(std::pair(outcome.kind, outcome.address), std::pair(h8300::CallOutcome::Kind::returned, H8Cpu::romReturnAddress));
        constexpr std::size_t stackScratch = 32;
        for (std::size_t address = 0; address < memory.size(); ++address)
            if (address < H8Cpu::initialStackPointer - stackScratch || address >= H8Cpu::initialStackPointer) {
                EXPECT_EQ(memory[address], expected[address]) << std::hex << address;
            }
        for (int n = 0; n < 7; ++n)
            EXPECT_EQ(cpu.reg(n), 0x1111 * (n + 1)) << "R" << n;
        EXPECT_EQ(cpu.reg(7), H8Cpu::initialStackPointer);
    }
}

} // namespace
