#include "sim/ImageCall.h"

#include <algorithm>

h8300::CallOutcome callImage(const FirmwareState& firmware, LineRegisters& line)
{
    h8300::H8Cpu cpu;
    h8300::H8Cpu::Memory& memory = cpu.memory();
    const std::size_t room = memory.size() - h8300::H8Cpu::romEnd;
    std::copy_n(firmware.image.begin(), std::min(firmware.image.size(), room), memory.begin() + h8300::H8Cpu::romEnd);
    memory[LineRegisters::serialModeAddress] = line.serialMode;
    memory[LineRegisters::bitRateAddress] = line.bitRate;
    memory[LineRegisters::sendComplementsAddress] = line.sendComplements;
    const h8300::CallOutcome outcome = cpu.call(firmware.address, imageCallBudget);
    line.serialMode = memory[LineRegisters::serialModeAddress];
    line.bitRate = memory[LineRegisters::bitRateAddress];
    line.sendComplements = memory[LineRegisters::sendComplementsAddress];
    return outcome;
}
