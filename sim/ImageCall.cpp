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
    h8300::CallOutcome outcome = cpu.call(firmware.address, imageCallBudget);
    std::uint64_t executed = outcome.executed;
    while (outcome.kind == h8300::CallOutcome::Kind::unknownInstruction && outcome.address < h8300::H8Cpu::romEnd) {
        // The routine returns at once, as its RTS would.
        const std::uint16_t stack = cpu.reg(7);
        const auto back = static_cast<std::uint16_t>(memory[stack] << 8 | memory[static_cast<std::uint16_t>(stack + 1)]);
        cpu.setReg(7, static_cast<std::uint16_t>(stack + 2));
        if (back < h8300::H8Cpu::romEnd) {
            outcome = {h8300::CallOutcome::Kind::returned, executed, back};
            break;
        }
        cpu.setPc(back);
        outcome = cpu.resume(imageCallBudget - executed);
        executed += outcome.executed;
    }
    outcome.executed = executed;
    line.serialMode = memory[LineRegisters::serialModeAddress];
    line.bitRate = memory[LineRegisters::bitRateAddress];
    line.sendComplements = memory[LineRegisters::sendComplementsAddress];
    return outcome;
}
