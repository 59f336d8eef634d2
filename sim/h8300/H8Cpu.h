#pragma once

#include <array>
#include <cstdint>

namespace h8300 {

// The condition code register's bits.
enum Flag : std::uint8_t {
    carry = 0x01,
    overflow = 0x02,
    zero = 0x04,
    negative = 0x08,
    halfCarry = 0x20,
    interruptMask = 0x80,
};

// How a call into downloaded code ended.
struct CallOutcome {
    enum class Kind {
        // An RTS popped an address in the ROM: the code returned.
        returned,
        // The budget ran out first (an endless loop, or a full firmware).
        budgetExhausted,
        // An instruction the interpreter does not have, or one that left
        // the downloaded code for the ROM other than by returning.
        unknownInstruction,
    };
    Kind kind;
    // Instructions carried out (an unknown one is not).
    std::uint64_t executed;
    // Returned: the ROM address returned to. Budget exhausted: the next
    // instruction's. Unknown instruction: that instruction's, and its first
    // word.
    std::uint16_t address;
    std::uint16_t instruction = 0;
};

// The H8/300 CPU of the RCX running downloaded machine code: 64 KiB of
// byte-addressed memory with words high byte first, the general registers
// R0-R7 (R7 the stack pointer), the condition code register and the program
// counter. Code runs from an entry point as the ROM's JSR would call it,
// until it returns into the ROM below 0x8000; the ROM's own code is not here.
// Whatever the code wrote stays in memory() for the caller to read.
class H8Cpu {
public:
    using Memory = std::array<std::uint8_t, 0x10000>;

    // The ROM ends where the external RAM with the firmware begins.
    static constexpr std::uint16_t romEnd = 0x8000;
    // Where a call returns to: an address inside the ROM.
    static constexpr std::uint16_t romReturnAddress = 0x3FFE;
    // The stack starts at the end of the on-chip RAM (0xFD80-0xFF7F).
    static constexpr std::uint16_t initialStackPointer = 0xFF80;

    H8Cpu();

    Memory& memory() { return myMemory; }
    const Memory& memory() const { return myMemory; }

    std::uint16_t reg(int n) const { return myRegisters[n]; }
    void setReg(int n, std::uint16_t value) { myRegisters[n] = value; }
    std::uint8_t ccr() const { return myCcr; }
    void setCcr(std::uint8_t value) { myCcr = value; }
    std::uint16_t pc() const { return myPc; }
    void setPc(std::uint16_t value) { myPc = value; }

    // Pushes romReturnAddress and runs from entry for at most budget
    // instructions.
    CallOutcome call(std::uint16_t entry, std::uint64_t budget);
    // Runs on from pc() for at most budget instructions, as call() does:
    // after an unknown instruction, once the caller has dealt with it.
    CallOutcome resume(std::uint64_t budget);

private:
    enum class Step { next, returned, unknown };
    // The byte operations with a register or an immediate operand, in the
    // order of the immediate forms' opcodes 0x8_-0xF_.
    enum class ByteOperation {
        add, addWithCarry, compare, subtractWithCarry, orBits, xorBits, andBits, move, subtract,
    };

    Step step();
    Step stepRegisterOperation(std::uint8_t op, std::uint8_t b1);
    Step stepControlRegister(std::uint8_t op, std::uint8_t b1);
    Step stepTransfer(std::uint8_t op, std::uint8_t b1);
    Step jumpOrCall(std::uint8_t op, std::uint16_t target);
    Step stepMove(std::uint8_t op, std::uint8_t b1);
    Step stepMemoryMove(std::uint8_t op, std::uint8_t b1);
    Step stepArithmetic(std::uint8_t op, std::uint8_t b1);
    Step stepWordArithmetic(std::uint8_t op, int s, int d);
    Step stepAddressArithmetic(std::uint8_t op, std::uint8_t b1);
    Step stepShift(std::uint8_t op, std::uint8_t b1);
    Step stepBitOnRegister(std::uint8_t op, std::uint8_t b1);
    Step stepBitInMemory(std::uint8_t op, std::uint8_t b1);
    Step stepMultiplyDivide(std::uint8_t op, std::uint8_t b1);
    Step stepBlockMove(std::uint8_t b1);

    void operateOnByte(ByteOperation operation, int d, std::uint8_t operand);
    bool bitOperation(std::uint8_t op, std::uint8_t selector, std::uint8_t& operand);
    bool condition(int code) const;

    std::uint16_t fetch();
    void push(std::uint16_t value);
    std::uint16_t pop();
    void jump(std::uint16_t target) { myPc = target; }

    std::uint8_t read8(std::uint16_t address) const { return myMemory[address]; }
    void write8(std::uint16_t address, std::uint8_t value) { myMemory[address] = value; }
    std::uint16_t read16(std::uint16_t address) const;
    void write16(std::uint16_t address, std::uint16_t value);

    // Byte registers 0-7 are R0H-R7H, 8-15 R0L-R7L.
    std::uint8_t reg8(int n) const;
    void setReg8(int n, std::uint8_t value);

    Memory myMemory{};
    std::array<std::uint16_t, 8> myRegisters{};
    std::uint8_t myCcr = interruptMask;
    std::uint16_t myPc = 0;
};

} // namespace h8300
