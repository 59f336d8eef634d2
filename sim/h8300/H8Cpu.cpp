#include "sim/h8300/H8Cpu.h"

namespace h8300 {

H8Cpu::H8Cpu()
{
    myRegisters[7] = initialStackPointer;
}

CallOutcome H8Cpu::call(std::uint16_t entry, std::uint64_t budget)
{
    push(romReturnAddress);
    myPc = entry;
    return resume(budget);
}

CallOutcome H8Cpu::resume(std::uint64_t budget)
{
    for (std::uint64_t executed = 0; executed < budget; ++executed) {
        // The ROM's own code is not here: whatever jumps into it (or starts
        // there) meets an instruction the interpreter cannot run.
        if (myPc < romEnd)
            return {CallOutcome::Kind::unknownInstruction, executed, myPc, read16(myPc)};
        const std::uint16_t address = myPc;
        switch (step()) {
        case Step::next:
            break;
        case Step::returned:
            return {CallOutcome::Kind::returned, executed + 1, myPc};
        case Step::unknown:
            myPc = address;
            return {CallOutcome::Kind::unknownInstruction, executed, address, read16(address)};
        }
    }
    return {CallOutcome::Kind::budgetExhausted, budget, myPc};
}

H8Cpu::Step H8Cpu::step()
{
    const std::uint16_t word = fetch();
    const auto op = static_cast<std::uint8_t>(word >> 8);
    const auto b1 = static_cast<std::uint8_t>(word);
    switch (op >> 4) {
    case 0x0:
    case 0x1:
        return stepRegisterOperation(op, b1);
    case 0x2:
    case 0x3:
        return stepMove(op, b1);
    case 0x4:
        return stepTransfer(op, b1);
    case 0x5:
        return op <= 0x51 ? stepMultiplyDivide(op, b1) : stepTransfer(op, b1);
    case 0x6:
        return op >= 0x68 ? stepMove(op, b1) : stepBitOnRegister(op, b1);
    case 0x7:
        if (op <= 0x77)
            return stepBitOnRegister(op, b1);
        if (op == 0x79)
            return stepMove(op, b1);
        if (op == 0x7B)
            return stepBlockMove(b1);
        return op >= 0x7C ? stepBitInMemory(op, b1) : Step::unknown;
    default:
        operateOnByte(static_cast<ByteOperation>((op >> 4) - 8), op & 0xF, b1);
        return Step::next;
    }
}

H8Cpu::Step H8Cpu::stepRegisterOperation(std::uint8_t op, std::uint8_t b1)
{
    switch (op) {
    case 0x00:
        return b1 == 0 ? Step::next : Step::unknown; // NOP
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
    case 0x07:
        return stepControlRegister(op, b1);
    case 0x0C:
    case 0x0D:
        return stepMove(op, b1);
    case 0x10:
    case 0x11:
    case 0x12:
    case 0x13:
        return stepShift(op, b1);
    default:
        return stepArithmetic(op, b1);
    }
}

H8Cpu::Step H8Cpu::stepTransfer(std::uint8_t op, std::uint8_t b1)
{
    const auto displacement = static_cast<std::int8_t>(b1);
    if (op >> 4 == 0x4) { // Bcc d:8
        if (condition(op & 0xF))
            jump(static_cast<std::uint16_t>(myPc + displacement));
        return Step::next;
    }
    switch (op) {
    case 0x54: // RTS
        if (b1 != 0x70)
            return Step::unknown;
        jump(pop());
        return myPc < romEnd ? Step::returned : Step::next;
    case 0x55: // BSR d:8
        push(myPc);
        jump(static_cast<std::uint16_t>(myPc + displacement));
        return Step::next;
    case 0x59: // JMP @Rn
    case 0x5D: // JSR @Rn
        if ((b1 & 0x8F) != 0)
            return Step::unknown;
        return jumpOrCall(op, myRegisters[b1 >> 4]);
    case 0x5A: // JMP @aa:16
    case 0x5E: // JSR @aa:16
        // The manual has 0 in the second byte, where the H8/300H keeps the
        // top of a 24-bit address. The GNU assembler fills it with the
        // address's sign (0xFF from 0x8000 up), and a 16-bit address space
        // has no use for it: it is not looked at.
        return jumpOrCall(op, fetch());
    case 0x5B: // JMP @@aa:8
    case 0x5F: // JSR @@aa:8
        return jumpOrCall(op, read16(b1));
    default:
        return Step::unknown;
    }
}

H8Cpu::Step H8Cpu::jumpOrCall(std::uint8_t op, std::uint16_t target)
{
    if (op >= 0x5D)
        push(myPc);
    jump(target);
    return Step::next;
}

bool H8Cpu::condition(int code) const
{
    const bool c = (myCcr & carry) != 0;
    const bool v = (myCcr & overflow) != 0;
    const bool z = (myCcr & zero) != 0;
    const bool n = (myCcr & negative) != 0;
    // Conditions come in pairs: the odd code of each is the even one's
    // opposite (BRA/BRN, BHI/BLS, BCC/BCS, BNE/BEQ, BVC/BVS, BPL/BMI,
    // BGE/BLT, BGT/BLE).
    bool holds = true;
    switch (code >> 1) {
    case 1: holds = !(c || z); break;
    case 2: holds = !c; break;
    case 3: holds = !z; break;
    case 4: holds = !v; break;
    case 5: holds = !n; break;
    case 6: holds = n == v; break;
    case 7: holds = !z && n == v; break;
    default: break;
    }
    return (code & 1) != 0 ? !holds : holds;
}

H8Cpu::Step H8Cpu::stepControlRegister(std::uint8_t op, std::uint8_t b1)
{
    switch (op) {
    case 0x02: // STC CCR,Rd
        if (b1 >> 4 != 0)
            return Step::unknown;
        setReg8(b1, myCcr);
        return Step::next;
    case 0x03: // LDC Rs,CCR
        if (b1 >> 4 != 0)
            return Step::unknown;
        myCcr = reg8(b1);
        return Step::next;
    case 0x04: myCcr |= b1; return Step::next;  // ORC
    case 0x05: myCcr ^= b1; return Step::next;  // XORC
    case 0x06: myCcr &= b1; return Step::next;  // ANDC
    default: myCcr = b1; return Step::next;     // LDC #xx:8
    }
}

std::uint16_t H8Cpu::fetch()
{
    const std::uint16_t word = read16(myPc);
    myPc = static_cast<std::uint16_t>(myPc + 2);
    return word;
}

void H8Cpu::push(std::uint16_t value)
{
    myRegisters[7] = static_cast<std::uint16_t>(myRegisters[7] - 2);
    write16(myRegisters[7], value);
}

std::uint16_t H8Cpu::pop()
{
    const std::uint16_t value = read16(myRegisters[7]);
    myRegisters[7] = static_cast<std::uint16_t>(myRegisters[7] + 2);
    return value;
}

// A word lies at an even address: the lowest address bit of a word access
// (instruction fetches too) is taken as 0.
std::uint16_t H8Cpu::read16(std::uint16_t address) const
{
    address &= 0xFFFE;
    return static_cast<std::uint16_t>(myMemory[address] << 8 | myMemory[address + 1]);
}

void H8Cpu::write16(std::uint16_t address, std::uint16_t value)
{
    address &= 0xFFFE;
    myMemory[address] = static_cast<std::uint8_t>(value >> 8);
    myMemory[address + 1] = static_cast<std::uint8_t>(value);
}

std::uint8_t H8Cpu::reg8(int n) const
{
    const std::uint16_t word = myRegisters[n & 7];
    return static_cast<std::uint8_t>(n < 8 ? word >> 8 : word);
}

void H8Cpu::setReg8(int n, std::uint8_t value)
{
    std::uint16_t& word = myRegisters[n & 7];
    word = n < 8 ? static_cast<std::uint16_t>((word & 0x00FF) | value << 8)
                 : static_cast<std::uint16_t>((word & 0xFF00) | value);
}

} // namespace h8300
