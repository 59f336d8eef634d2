// The instructions that move and compute data: MOV in its addressing modes,
// the arithmetic and logic, shifts, bit manipulation, MULXU, DIVXU, EEPMOV.
#include "sim/h8300/H8Alu.h"
#include "sim/h8300/H8Cpu.h"

namespace h8300 {

using alu::byteWidth;
using alu::wordWidth;

namespace {

// A word register field has 3 bits; its fourth bit must be clear.
bool isWordRegister(int field)
{
    return (field & 8) == 0;
}

// BSET, BNOT, BCLR, BST and BIST change their operand; the others only
// read it.
bool changesOperand(std::uint8_t op)
{
    switch (op) {
    case 0x60: case 0x61: case 0x62: case 0x67: case 0x70: case 0x71: case 0x72:
        return true;
    default:
        return false;
    }
}

} // namespace

H8Cpu::Step H8Cpu::stepMove(std::uint8_t op, std::uint8_t b1)
{
    switch (op >> 4) {
    case 0x0:
        if (op == 0x0C) { // MOV.B Rs,Rd
            operateOnByte(ByteOperation::move, b1 & 0xF, reg8(b1 >> 4));
            return Step::next;
        }
        // MOV.W Rs,Rd
        if (!isWordRegister(b1 >> 4) || !isWordRegister(b1 & 0xF))
            return Step::unknown;
        myRegisters[b1 & 7] = static_cast<std::uint16_t>(alu::moved(wordWidth, myRegisters[b1 >> 4], myCcr));
        return Step::next;
    case 0x2: // MOV.B @aa:8,Rd
        setReg8(op & 0xF, static_cast<std::uint8_t>(alu::moved(byteWidth, read8(0xFF00 | b1), myCcr)));
        return Step::next;
    case 0x3: // MOV.B Rs,@aa:8
        write8(0xFF00 | b1, static_cast<std::uint8_t>(alu::moved(byteWidth, reg8(op & 0xF), myCcr)));
        return Step::next;
    default:
        if (op == 0x79) { // MOV.W #xx:16,Rd
            if ((b1 & 0xF8) != 0)
                return Step::unknown;
            myRegisters[b1] = static_cast<std::uint16_t>(alu::moved(wordWidth, fetch(), myCcr));
            return Step::next;
        }
        return stepMemoryMove(op, b1);
    }
}

// 0x68-0x6F: odd opcodes move words, even ones bytes; by pairs @Rn,
// @aa:16, @Rn+ (loads) / @-Rn (stores), @(d:16,Rn). Bit 7 of the second
// byte makes a store; bits 6-4 name the address register, bits 3-0 the data
// register.
H8Cpu::Step H8Cpu::stepMemoryMove(std::uint8_t op, std::uint8_t b1)
{
    const bool word = (op & 1) != 0;
    const int mode = (op >> 1) & 3;
    const bool store = (b1 & 0x80) != 0;
    const int pointer = (b1 >> 4) & 7;
    const int data = b1 & 0xF;
    if ((word && !isWordRegister(data)) || (mode == 1 && pointer != 0))
        return Step::unknown;
    const unsigned size = word ? 2 : 1;
    const alu::Width width = word ? wordWidth : byteWidth;

    const unsigned value = store ? (word ? myRegisters[data] : reg8(data)) : 0;
    std::uint16_t address = myRegisters[pointer];
    if (mode == 1)
        address = fetch();
    else if (mode == 3)
        address = static_cast<std::uint16_t>(address + fetch());
    else if (mode == 2 && store)
        address = myRegisters[pointer] = static_cast<std::uint16_t>(address - size);

    if (store) {
        alu::moved(width, value, myCcr);
        if (word)
            write16(address, static_cast<std::uint16_t>(value));
        else
            write8(address, static_cast<std::uint8_t>(value));
        return Step::next;
    }
    const unsigned loaded = alu::moved(width, word ? read16(address) : read8(address), myCcr);
    if (mode == 2)
        myRegisters[pointer] = static_cast<std::uint16_t>(address + size);
    if (word)
        myRegisters[data] = static_cast<std::uint16_t>(loaded);
    else
        setReg8(data, static_cast<std::uint8_t>(loaded));
    return Step::next;
}

void H8Cpu::operateOnByte(ByteOperation operation, int d, std::uint8_t operand)
{
    const std::uint8_t a = reg8(d);
    const bool zeroBefore = (myCcr & zero) != 0;
    const unsigned carryIn = myCcr & carry;
    unsigned result = a;
    switch (operation) {
    case ByteOperation::add: result = alu::add(byteWidth, a, operand, 0, myCcr); break;
    case ByteOperation::addWithCarry:
        result = alu::add(byteWidth, a, operand, carryIn, myCcr);
        alu::keepZeroOnlyIf(zeroBefore, myCcr);
        break;
    case ByteOperation::compare: alu::subtract(byteWidth, a, operand, 0, myCcr); break;
    case ByteOperation::subtractWithCarry:
        result = alu::subtract(byteWidth, a, operand, carryIn, myCcr);
        alu::keepZeroOnlyIf(zeroBefore, myCcr);
        break;
    case ByteOperation::orBits: result = alu::moved(byteWidth, a | operand, myCcr); break;
    case ByteOperation::xorBits: result = alu::moved(byteWidth, a ^ operand, myCcr); break;
    case ByteOperation::andBits: result = alu::moved(byteWidth, a & operand, myCcr); break;
    case ByteOperation::move: result = alu::moved(byteWidth, operand, myCcr); break;
    case ByteOperation::subtract: result = alu::subtract(byteWidth, a, operand, 0, myCcr); break;
    }
    setReg8(d, static_cast<std::uint8_t>(result));
}

// The register forms of 0x08-0x1E; the second byte names the source
// register in its high nibble and the destination in its low one.
H8Cpu::Step H8Cpu::stepArithmetic(std::uint8_t op, std::uint8_t b1)
{
    const int s = b1 >> 4;
    const int d = b1 & 0xF;
    switch (op) {
    case 0x08: operateOnByte(ByteOperation::add, d, reg8(s)); return Step::next;
    case 0x0E: operateOnByte(ByteOperation::addWithCarry, d, reg8(s)); return Step::next;
    case 0x14: operateOnByte(ByteOperation::orBits, d, reg8(s)); return Step::next;
    case 0x15: operateOnByte(ByteOperation::xorBits, d, reg8(s)); return Step::next;
    case 0x16: operateOnByte(ByteOperation::andBits, d, reg8(s)); return Step::next;
    case 0x18: operateOnByte(ByteOperation::subtract, d, reg8(s)); return Step::next;
    case 0x1C: operateOnByte(ByteOperation::compare, d, reg8(s)); return Step::next;
    case 0x1E: operateOnByte(ByteOperation::subtractWithCarry, d, reg8(s)); return Step::next;
    case 0x09:
    case 0x19:
    case 0x1D:
        return stepWordArithmetic(op, s, d);
    case 0x0A: // INC.B
    case 0x1A: // DEC.B
        if (s != 0)
            return Step::unknown;
        setReg8(d, op == 0x0A ? alu::increment(reg8(d), myCcr) : alu::decrement(reg8(d), myCcr));
        return Step::next;
    case 0x0B: // ADDS #1/#2,Rd
    case 0x1B: // SUBS #1/#2,Rd
        return stepAddressArithmetic(op, b1);
    case 0x17: // NOT.B, NEG.B
        if (s == 0)
            setReg8(d, static_cast<std::uint8_t>(alu::moved(byteWidth, reg8(d) ^ 0xFF, myCcr)));
        else if (s == 8)
            setReg8(d, static_cast<std::uint8_t>(alu::subtract(byteWidth, 0, reg8(d), 0, myCcr)));
        else
            return Step::unknown;
        return Step::next;
    default:
        return Step::unknown;
    }
}

// ADD.W, SUB.W, CMP.W Rs,Rd.
H8Cpu::Step H8Cpu::stepWordArithmetic(std::uint8_t op, int s, int d)
{
    if (!isWordRegister(s) || !isWordRegister(d))
        return Step::unknown;
    const std::uint16_t a = myRegisters[d];
    const std::uint16_t b = myRegisters[s];
    if (op == 0x09)
        myRegisters[d] = static_cast<std::uint16_t>(alu::add(wordWidth, a, b, 0, myCcr));
    else if (op == 0x19)
        myRegisters[d] = static_cast<std::uint16_t>(alu::subtract(wordWidth, a, b, 0, myCcr));
    else
        alu::subtract(wordWidth, a, b, 0, myCcr);
    return Step::next;
}

// ADDS and SUBS change no flags; bit 7 of the second byte makes the step 2.
H8Cpu::Step H8Cpu::stepAddressArithmetic(std::uint8_t op, std::uint8_t b1)
{
    if ((b1 & 0x78) != 0)
        return Step::unknown;
    const int step = (b1 & 0x80) != 0 ? 2 : 1;
    std::uint16_t& r = myRegisters[b1 & 7];
    r = static_cast<std::uint16_t>(op == 0x0B ? r + step : r - step);
    return Step::next;
}

// 0x10-0x13 with 0 or 8 in the second byte's high nibble.
H8Cpu::Step H8Cpu::stepShift(std::uint8_t op, std::uint8_t b1)
{
    if ((b1 & 0x70) != 0)
        return Step::unknown;
    const int kind = (op - 0x10) * 2 + (b1 >> 7);
    setReg8(b1 & 0xF, alu::shift(kind, reg8(b1 & 0xF), myCcr));
    return Step::next;
}

// 0x60-0x63 take the bit number from a register, 0x67 and 0x70-0x77 from
// the instruction; the operand is the register in the low nibble.
H8Cpu::Step H8Cpu::stepBitOnRegister(std::uint8_t op, std::uint8_t b1)
{
    std::uint8_t operand = reg8(b1 & 0xF);
    if (!bitOperation(op, b1 >> 4, operand))
        return Step::unknown;
    setReg8(b1 & 0xF, operand);
    return Step::next;
}

// 0x7C/0x7D act on @Rd, 0x7E/0x7F on @aa:8; the second word is the bit
// instruction with 0 in place of the register. The even ones carry the
// instructions that only read the byte, the odd ones those that change it.
H8Cpu::Step H8Cpu::stepBitInMemory(std::uint8_t op, std::uint8_t b1)
{
    if (op <= 0x7D && (b1 & 0x8F) != 0)
        return Step::unknown;
    const std::uint16_t address = op <= 0x7D ? myRegisters[b1 >> 4] : static_cast<std::uint16_t>(0xFF00 | b1);
    const std::uint16_t instruction = fetch();
    const auto bitOp = static_cast<std::uint8_t>(instruction >> 8);
    const bool writes = (op & 1) != 0;
    if ((instruction & 0x0F) != 0 || changesOperand(bitOp) != writes)
        return Step::unknown;
    std::uint8_t operand = read8(address);
    if (!bitOperation(bitOp, (instruction >> 4) & 0xF, operand))
        return Step::unknown;
    if (writes)
        write8(address, operand);
    return Step::next;
}

// One bit instruction on operand. selector is the register holding the bit
// number (0x60-0x63) or, for the others, the bit number with bit 3 asking
// for the inverted form (BIST, BIOR, BIXOR, BIAND, BILD; none for
// 0x70-0x73). False for an encoding the manual does not have.
bool H8Cpu::bitOperation(std::uint8_t op, std::uint8_t selector, std::uint8_t& operand)
{
    const bool byRegister = op <= 0x63;
    const bool inverted = !byRegister && (selector & 8) != 0;
    if (inverted && op >= 0x70 && op <= 0x73)
        return false;
    const auto mask = static_cast<std::uint8_t>(1 << (byRegister ? reg8(selector) & 7 : selector & 7));
    const bool bit = ((operand & mask) != 0) != inverted;
    const bool c = (myCcr & carry) != 0;
    const auto setCarry = [this](bool value) {
        myCcr = static_cast<std::uint8_t>(value ? myCcr | carry : myCcr & ~carry);
    };
    switch (op) {
    case 0x60: case 0x70: operand |= mask; break;                             // BSET
    case 0x61: case 0x71: operand ^= mask; break;                             // BNOT
    case 0x62: case 0x72: operand = static_cast<std::uint8_t>(operand & ~mask); break; // BCLR
    case 0x63: case 0x73:                                                     // BTST
        myCcr = static_cast<std::uint8_t>(bit ? myCcr & ~zero : myCcr | zero);
        break;
    case 0x67:                                                                // BST, BIST
        operand = static_cast<std::uint8_t>(c != inverted ? operand | mask : operand & ~mask);
        break;
    case 0x74: setCarry(c || bit); break;                                     // BOR, BIOR
    case 0x75: setCarry(c != bit); break;                                     // BXOR, BIXOR
    case 0x76: setCarry(c && bit); break;                                     // BAND, BIAND
    case 0x77: setCarry(bit); break;                                          // BLD, BILD
    default: return false;
    }
    return true;
}

// MULXU Rs,Rd: RdL × Rs → Rd, no flags. DIVXU Rs,Rd: Rd ÷ Rs, the quotient
// into RdL and the remainder into RdH; N tells a divisor with bit 7 set, Z a
// zero divisor. The manual promises no result for a zero divisor or a
// quotient beyond 8 bits: here Rd stays as it was after the first, and the
// quotient is cut to 8 bits after the second.
H8Cpu::Step H8Cpu::stepMultiplyDivide(std::uint8_t op, std::uint8_t b1)
{
    if (!isWordRegister(b1 & 0xF))
        return Step::unknown;
    const std::uint8_t divisorOrFactor = reg8(b1 >> 4);
    std::uint16_t& r = myRegisters[b1 & 7];
    if (op == 0x50) {
        r = static_cast<std::uint16_t>((r & 0xFF) * divisorOrFactor);
        return Step::next;
    }
    myCcr = static_cast<std::uint8_t>((myCcr & ~(negative | zero)) | ((divisorOrFactor & 0x80) != 0 ? negative : 0) |
                                      (divisorOrFactor == 0 ? zero : 0));
    if (divisorOrFactor != 0)
        r = static_cast<std::uint16_t>((r % divisorOrFactor) << 8 | ((r / divisorOrFactor) & 0xFF));
    return Step::next;
}

// EEPMOV (7B 5C 59 8F): R4L bytes from @R5+ to @R6+, no flags.
H8Cpu::Step H8Cpu::stepBlockMove(std::uint8_t b1)
{
    if (b1 != 0x5C || fetch() != 0x598F)
        return Step::unknown;
    constexpr int r4l = 12;
    for (std::uint8_t count = reg8(r4l); count != 0; --count) {
        write8(myRegisters[6], read8(myRegisters[5]));
        ++myRegisters[5];
        ++myRegisters[6];
        setReg8(r4l, static_cast<std::uint8_t>(count - 1));
    }
    return Step::next;
}

} // namespace h8300
