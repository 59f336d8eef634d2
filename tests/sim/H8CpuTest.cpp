// The H8/300 interpreter on hand-assembled code: each instruction class with its flags
// and addressing modes as the programming manual encodes them, and how a call ends.
#include "sim/h8300/H8Cpu.h"
#include "support/Bytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>

namespace {

using h8300::CallOutcome;
using h8300::H8Cpu;
using Kind = CallOutcome::Kind;

constexpr std::uint8_t C = h8300::carry, V = h8300::overflow, Z = h8300::zero, N = h8300::negative, H = h8300::halfCarry;

constexpr std::uint16_t image = 0x8000;
const Bytes rts{0x54, 0x70};

using Registers = std::map<int, std::uint16_t>;
using MemoryBytes = std::map<std::uint16_t, Bytes>;

void load(H8Cpu& cpu, const MemoryBytes& memory)
{
    for (const auto& [address, bytes] : memory)
        std::ranges::copy(bytes, cpu.memory().begin() + address);
}

// One instruction (or a few) and RTS, run from the image's start: the registers and
// flags before, the registers that change, the flags after, memory before and after.
struct Case {
    std::string instruction;
    Bytes code;
    Registers before;
    std::uint8_t ccrBefore;
    Registers changed;
    std::uint8_t ccrAfter;
    MemoryBytes memoryBefore = {}, memoryAfter = {};
};

void runAll(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.instruction);
        H8Cpu cpu;
        load(cpu, {{image, c.code + rts}});
        load(cpu, c.memoryBefore);
        for (const auto& [n, value] : c.before)
            cpu.setReg(n, value);
        cpu.setCcr(c.ccrBefore);
        const CallOutcome outcome = cpu.call(image, 1000);
        EXPECT_EQ(outcome.kind, Kind::returned) << std::hex << outcome.address;
        Registers expected = c.before;
        expected[7] = H8Cpu::initialStackPointer;
        for (const auto& [n, value] : c.changed)
            expected[n] = value;
        for (int n = 0; n < 8; ++n)
            EXPECT_EQ(cpu.reg(n), expected[n]) << "R" << n;
        EXPECT_EQ(cpu.ccr(), c.ccrAfter) << std::hex << int(cpu.ccr());
        for (const auto& [address, bytes] : c.memoryAfter)
            EXPECT_EQ(Bytes(cpu.memory().begin() + address, cpu.memory().begin() + address + bytes.size()), bytes)
                << std::hex << address;
    }
}

TEST(H8Cpu, RunsEachInstructionClassWithTheManualsFlagsAndAddressingModes)
{
    runAll({
        // Moves through every addressing mode.
        {"mov.b r1l,r2h", {0x0C, 0x92}, {{1, 0x0080}, {2, 0x1234}}, V | C, {{2, 0x8034}}, N | C},
        {"mov.w r1,r2", {0x0D, 0x12}, {{1, 0x8001}}, Z, {{2, 0x8001}}, N},
        {"mov.b #0,r0h", {0xF0, 0x00}, {{0, 0xFFFF}}, 0, {{0, 0x00FF}}, Z},
        {"mov.w #0x8000,r6", {0x79, 0x06, 0x80, 0x00}, {}, V, {{6, 0x8000}}, N},
        // @Rn, bytes and words high byte first; a word at an odd address is the one before it.
        {"mov.b @r1,r2l", {0x68, 0x1A}, {{1, 0x9000}}, 0, {{2, 0x0085}}, N, {{0x9000, {0x85}}}},
        {"mov.w @r1,r2 (odd)", {0x69, 0x12}, {{1, 0x9001}}, 0, {{2, 0x1234}}, 0, {{0x9000, {0x12, 0x34}}}},
        {"mov.w r2,@r1 (odd)", {0x69, 0x92}, {{1, 0x9001}, {2, 0xBEEF}}, 0, {}, N, {}, {{0x9000, {0xBE, 0xEF}}}},
        // @aa:16 and @aa:8, the latter in the page 0xFF00.
        {"mov.b r0l,@0xef51:16", {0x6A, 0x88, 0xEF, 0x51}, {}, 0, {}, Z, {{0xEF51, {1}}}, {{0xEF51, {0}}}},
        {"mov.w @0x9000:16,r3", {0x6B, 0x03, 0x90, 0x00}, {}, 0, {{3, 0xCAFE}}, N, {{0x9000, {0xCA, 0xFE}}}},
        {"mov.b @0xd8:8,r0l", {0x28, 0xD8}, {}, 0, {{0, 0x0030}}, 0, {{0xFFD8, {0x30}}}},
        {"mov.b r0l,@0xd9:8", {0x38, 0xD9}, {{0, 0x0067}}, 0, {}, 0, {}, {{0xFFD9, {0x67}}, {0x00D9, {0}}}},
        // @Rn+ loads, @-Rn stores (the register's value from before); by 1 for bytes, 2 for words.
        {"mov.w @r1+,r2", {0x6D, 0x12}, {{1, 0x9000}}, 0, {{1, 0x9002}, {2, 0x0000}}, Z},
        {"mov.b r2h,@-r1", {0x6C, 0x92}, {{1, 0x9001}, {2, 0x9900}}, 0, {{1, 0x9000}}, N, {}, {{0x9000, {0x99}}}},
        {"mov.w r1,@-r1", {0x6D, 0x91}, {{1, 0x9002}}, 0, {{1, 0x9000}}, N, {}, {{0x9000, {0x90, 0x02}}}},
        // @(d:16,Rn), the displacement signed by wrapping round.
        {"mov.w @(0x10:16,r1),r2", {0x6F, 0x12, 0x00, 0x10}, {{1, 0x9000}}, 0, {{2, 0x5566}}, 0, {{0x9010, {0x55, 0x66}}}},
        {"mov.b r2l,@(-2:16,r1)", {0x6E, 0x9A, 0xFF, 0xFE}, {{1, 0x9002}, {2, 0x0022}}, 0, {}, 0, {}, {{0x9000, {0x22}}}},
        // PUSH and POP are MOV.W on @-R7 and @R7+.
        {"push r3; mov.w #0,r3; pop r4", {0x6D, 0xF3, 0x79, 0x03, 0x00, 0x00, 0x6D, 0x74}, {{3, 0x4321}}, 0,
         {{3, 0}, {4, 0x4321}}, 0, {}, {{H8Cpu::initialStackPointer - 4, {0x43, 0x21}}}},
        // Arithmetic.
        {"add.b r1h,r2l", {0x08, 0x1A}, {{1, 0x7F00}, {2, 0x0001}}, 0, {{2, 0x0080}}, H | N | V},
        {"add.b r1h,r2l (no carry at the edges)", {0x08, 0x1A}, {{1, 0xF000}, {2, 0x000F}}, 0, {{2, 0x00FF}}, N},
        {"add.b #0x80,r1l", {0x89, 0x80}, {{1, 0x0080}}, 0, {{1, 0x0000}}, Z | V | C},
        {"add.w r3,r4 (bits 11 and 15)", {0x09, 0x34}, {{3, 0x8001}, {4, 0x8FFF}}, 0, {{4, 0x1000}}, H | V | C},
        // ADDX and SUBX take C in and clear Z on a result that is not zero, never set it.
        {"addx r0l,r0h", {0x0E, 0x80}, {{0, 0x1020}}, Z | C, {{0, 0x3120}}, 0},
        {"addx #0,r1l (zero not set)", {0x99, 0x00}, {{1, 0x00FF}}, C, {{1, 0x0000}}, H | C},
        {"subx r2l,r2h", {0x1E, 0xA2}, {{2, 0x1005}}, Z | C, {{2, 0x0A05}}, H},
        {"subx #0x12,r1l", {0xB9, 0x12}, {{1, 0x0012}}, Z, {{1, 0x0000}}, Z},
        {"adds #1,r6", {0x0B, 0x06}, {{6, 0xFFFF}}, N | V, {{6, 0x0000}}, N | V},
        {"subs #2,r6", {0x1B, 0x86}, {{6, 0x0005}}, C, {{6, 0x0003}}, C},
        {"sub.b r1h,r1l", {0x18, 0x19}, {{1, 0x0180}}, 0, {{1, 0x017F}}, H | V},
        {"sub.w r1,r2", {0x19, 0x12}, {{1, 0x0001}, {2, 0x8000}}, 0, {{2, 0x7FFF}}, H | V},
        {"cmp.b r0l,r1l", {0x1C, 0x89}, {{0, 0x0005}, {1, 0x0005}}, 0, {}, Z},
        {"cmp.b #6,r1l", {0xA9, 0x06}, {{1, 0x0005}}, 0, {}, H | N | C},
        {"cmp.w r0,r1", {0x1D, 0x01}, {{0, 0x8000}, {1, 0x0001}}, 0, {}, N | V | C},
        {"inc r5l", {0x0A, 0x0D}, {{5, 0x007F}}, H | Z | C, {{5, 0x0080}}, H | N | V | C},
        {"dec r5h", {0x1A, 0x05}, {{5, 0x8000}}, Z | C, {{5, 0x7F00}}, V | C},
        {"neg r4l (0x80)", {0x17, 0x8C}, {{4, 0x0080}}, 0, {{4, 0x0080}}, N | V | C},
        // Logic, shifts and the condition codes.
        {"and r3h,r3l", {0x16, 0x3B}, {{3, 0xF00F}}, V | C, {{3, 0xF000}}, Z | C},
        {"and #0x80,r1l", {0xE9, 0x80}, {{1, 0x00FF}}, 0, {{1, 0x0080}}, N},
        {"or r1h,r1l", {0x14, 0x19}, {{1, 0x8001}}, Z, {{1, 0x8081}}, N}, {"xor r2h,r2l", {0x15, 0x2A}, {{2, 0x5555}}, 0, {{2, 0x5500}}, Z},
        {"not r4h", {0x17, 0x04}, {{4, 0x0F00}}, V | C, {{4, 0xF000}}, N | C},
        // The condition code register itself.
        {"andc #0xfe,ccr", {0x06, 0xFE}, {}, Z | C, {}, Z}, {"orc #0x81,ccr", {0x04, 0x81}, {}, Z, {}, 0x80 | Z | C},
        {"xorc #0x05,ccr", {0x05, 0x05}, {}, Z | V, {}, V | C}, {"ldc #0x0a,ccr", {0x07, 0x0A}, {}, 0xFF, {}, N | V},
        {"ldc r2h,ccr", {0x03, 0x02}, {{2, 0x0300}}, 0, {}, V | C}, {"stc ccr,r1l", {0x02, 0x09}, {}, H | Z, {{1, 0x0024}}, H | Z},
        // The rotates through carry take C in where the plain ones take the bit shifted out.
        {"shll r1h (never overflows)", {0x10, 0x01}, {{1, 0x4000}}, V | Z | C, {{1, 0x8000}}, N},
        {"shal r1h (overflow)", {0x10, 0x81}, {{1, 0x4000}}, C, {{1, 0x8000}}, N | V},
        {"shal r1h (sign kept)", {0x10, 0x81}, {{1, 0xC100}}, 0, {{1, 0x8200}}, N | C},
        {"shlr r2l", {0x11, 0x0A}, {{2, 0x0081}}, N, {{2, 0x0040}}, C}, {"shar r2l", {0x11, 0x8A}, {{2, 0x0081}}, 0, {{2, 0x00C0}}, N | C},
        {"rotxl r3h", {0x12, 0x03}, {{3, 0x4100}}, C, {{3, 0x8300}}, N}, {"rotl r3h", {0x12, 0x83}, {{3, 0x8100}}, 0, {{3, 0x0300}}, C},
        {"rotxr r3l", {0x13, 0x0B}, {{3, 0x0002}}, C, {{3, 0x0081}}, N}, {"rotr r3l", {0x13, 0x8B}, {{3, 0x0001}}, 0, {{3, 0x0080}}, N | C},
        // Bits in registers and memory.
        {"bset #5,r0l", {0x70, 0x58}, {}, Z, {{0, 0x0020}}, Z}, {"bclr #5,r0l", {0x72, 0x58}, {{0, 0x00FF}}, 0, {{0, 0x00DF}}, 0},
        {"bnot #0,r0h", {0x71, 0x00}, {{0, 0x0100}}, 0, {{0, 0x0000}}, 0}, {"btst #5,r0l (set)", {0x73, 0x58}, {{0, 0x0020}}, Z, {}, 0},
        // The register forms take the bit number from the low 3 bits of a register.
        {"bset r1l,r0h", {0x60, 0x90}, {{1, 0x000D}}, 0, {{0, 0x2000}}, 0}, {"bld #1,r0l", {0x77, 0x18}, {{0, 0x0002}}, 0, {}, C},
        {"bst #3,r2l", {0x67, 0x3A}, {}, C, {{2, 0x0008}}, C}, {"bist #3,r2l", {0x67, 0xBA}, {{2, 0x0008}}, C, {{2, 0x0000}}, C},
        {"band #1,r0l", {0x76, 0x18}, {}, C, {}, 0}, {"bor #1,r0l", {0x74, 0x18}, {{0, 0x0002}}, 0, {}, C},
        {"bxor #1,r0l", {0x75, 0x18}, {{0, 0x0002}}, C, {}, 0},
        // @Rd and @aa:8, each in the form that only reads the byte and the one that writes it.
        {"bclr #5,@0xd8:8", {0x7F, 0xD8, 0x72, 0x50}, {}, 0, {}, 0, {{0xFFD8, {0x30}}}, {{0xFFD8, {0x10}}}},
        {"btst #3,@0xd8:8", {0x7E, 0xD8, 0x73, 0x30}, {}, 0, {}, Z, {{0xFFD8, {0xF7}}}},
        {"bset #3,@r2", {0x7D, 0x20, 0x70, 0x30}, {{2, 0x9000}}, 0, {}, 0, {}, {{0x9000, {0x08}}}},
        {"btst r1l,@r2", {0x7C, 0x20, 0x63, 0x90}, {{1, 0x0004}, {2, 0x9000}}, 0, {}, Z, {{0x9000, {0xEF}}}},
        {"bior #3,@r2", {0x7C, 0x20, 0x74, 0xB0}, {{2, 0x9000}}, 0, {}, C},
        // MULXU, DIVXU and EEPMOV.
        {"mulxu r0l,r1", {0x50, 0x81}, {{0, 0x0010}, {1, 0x3412}}, Z | C, {{1, 0x0120}}, Z | C},
        {"divxu r2h,r3 (negative divisor)", {0x51, 0x23}, {{2, 0x8000}, {3, 0x0107}}, Z | C, {{3, 0x0702}}, N | C},
        {"divxu r2h,r3 (by zero)", {0x51, 0x23}, {{3, 0x1234}}, N, {}, Z},
        {"eepmov", {0x7B, 0x5C, 0x59, 0x8F}, {{4, 0x0003}, {5, 0x9000}, {6, 0xA000}}, V,
         {{4, 0x0000}, {5, 0x9003}, {6, 0xA003}}, V, {{0x9000, {1, 2, 3, 4}}}, {{0xA000, {1, 2, 3, 0}}}},
        {"eepmov (none)", {0x7B, 0x5C, 0x59, 0x8F}, {{4, 0xFF00}, {5, 0x9000}, {6, 0xA000}}, 0, {}, 0, {{0x9000, {1}}}, {{0xA000, {0}}}},
        // Calls and jumps inside the image, the absolute ones with the top byte of
        // a 24-bit address as the GNU assembler writes it from 0x8000 up; each call
        // comes back to the INC.B R1L behind it. First a backward branch: R0L from 3.
        {"dec r0l; bne .-2", {0x1A, 0x08, 0x46, 0xFC}, {{0, 0x0003}}, 0, {{0, 0x0000}}, Z},
        {"bsr .+4; inc r1l; rts; inc r1l", {0x55, 0x04, 0x0A, 0x09, 0x54, 0x70, 0x0A, 0x09}, {}, 0, {{1, 0x0002}}, 0},
        {"jsr @0x8008; inc r1l; rts; inc r1l", {0x5E, 0xFF, 0x80, 0x08, 0x0A, 0x09, 0x54, 0x70, 0x0A, 0x09}, {}, 0, {{1, 0x0002}}, 0},
        {"jsr @r2; inc r1l; rts; inc r1l", {0x5D, 0x20, 0x0A, 0x09, 0x54, 0x70, 0x0A, 0x09}, {{2, 0x8006}}, 0, {{1, 0x0002}}, 0},
        {"jsr @@0x10:8; inc r1l; rts; inc r1l", {0x5F, 0x10, 0x0A, 0x09, 0x54, 0x70, 0x0A, 0x09}, {}, 0, {{1, 0x0002}}, 0,
         {{0x0010, {0x80, 0x06}}}}, {"jmp @0x8006; inc r1l", {0x5A, 0xFF, 0x80, 0x06, 0x0A, 0x09}, {}, 0, {}, 0},
        {"jmp @r3; inc r1l", {0x59, 0x30, 0x0A, 0x09}, {{3, 0x8004}}, 0, {}, 0},
        // The call's own return address, into the ROM, stays below the stack.
        {"nop", {0x00, 0x00}, {}, 0xFF, {}, 0xFF, {}, {{H8Cpu::initialStackPointer - 2, {0x3F, 0xFE}}}},
    });
}

// Bcc over the MOV.B #1,R0L behind it: R0L stays 0 where the branch is taken; the MOV clears N, Z and V.
TEST(H8Cpu, BranchesOnEveryCondition)
{
    const struct { int condition; std::uint8_t ccr; bool taken; } branches[] = {
        {0x0, 0xFF, true}, {0x1, 0, false},                                   // BRA, BRN
        {0x2, 0, true}, {0x2, C, false}, {0x3, Z, true}, {0x3, 0, false},     // BHI, BLS
        {0x4, Z, true}, {0x4, C, false}, {0x5, C, true}, {0x5, 0, false},     // BCC, BCS
        {0x6, C, true}, {0x6, Z, false}, {0x7, Z, true}, {0x7, 0, false},     // BNE, BEQ
        {0x8, 0, true}, {0x8, V, false}, {0x9, V, true}, {0x9, N, false},     // BVC, BVS
        {0xA, V, true}, {0xA, N, false}, {0xB, N, true}, {0xB, 0, false},     // BPL, BMI
        {0xC, N | V, true}, {0xC, N, false}, {0xD, V, true}, {0xD, 0, false}, // BGE, BLT
        {0xE, 0, true}, {0xE, N | V | Z, false}, {0xE, V, false},             // BGT
        {0xF, Z, true}, {0xF, N, true}, {0xF, N | V, false},                  // BLE
    };
    std::vector<Case> cases;
    for (const auto& b : branches)
        cases.push_back({"condition " + std::to_string(b.condition) + " ccr " + std::to_string(b.ccr),
                         {static_cast<std::uint8_t>(0x40 | b.condition), 0x02, 0xF8, 0x01}, {}, b.ccr, {{0, b.taken ? 0 : 1}},
                         b.taken ? b.ccr : std::uint8_t(b.ccr & ~(N | Z | V))});
    runAll(cases);
}

// How a call ends: the code at the image's start (and other memory), the budget, the outcome, the PC left at its address.
struct Ending { Bytes code; std::uint64_t budget; Kind kind; std::uint64_t executed; std::uint16_t address, instruction = 0; MemoryBytes memory = {}; };

TEST(H8Cpu, EndsACallOnReturnBudgetOrUnknownInstruction)
{
    std::vector<Ending> endings{
        {Bytes{0x00, 0x00} + rts, 100, Kind::returned, 2, H8Cpu::romReturnAddress},
        {{0x00, 0x00, 0x40, 0xFC}, 1'000'000, Kind::budgetExhausted, 1'000'000, image}, // nop; bra .-2
        // An RTS back to the image's start is no return: push 0x8000 and return, for ever.
        {Bytes{0x79, 0x02, 0x80, 0x00, 0x6D, 0xF2} + rts, 30, Kind::budgetExhausted, 30, image},
        {{0x5E, 0x00, 0x12, 0x34}, 100, Kind::unknownInstruction, 1, 0x1234, 0xABCD, {{0x1234, {0xAB, 0xCD}}}},
    };
    // At image + 2 after a NOP: what the interpreter does not have, or no H8/300 encoding.
    for (const Bytes& unknown : std::vector<Bytes>{
             {0x01, 0x80}, {0x0F, 0x08}, {0x56, 0x70}, {0x00, 0x01}, // SLEEP, DAA, RTE, NOP with a second byte
             {0x0D, 0x18}, {0x6A, 0x48, 0x00, 0x00},                 // MOV.W with a byte register, MOVFPE
             {0x0D, 0x81}, {0x02, 0x19}, {0x03, 0x19},               // MOV.W from a byte register, STC's and LDC's upper nibble
             {0x70, 0xD8}, {0x64, 0x00},                             // BSET with bit 7 of its bit number, 0x64
             {0x7D, 0x20, 0x73, 0x30}, {0x7C, 0x20, 0x70, 0x30},     // BTST writing the byte, BSET only reading
             {0x79, 0x15, 0x00, 0x00},                               // MOV.W #imm with a fourth register bit
         })
        endings.push_back({Bytes{0x00, 0x00} + unknown + rts, 100, Kind::unknownInstruction, 1, image + 2,
                           static_cast<std::uint16_t>(unknown[0] << 8 | unknown[1])});
    for (const Ending& e : endings) {
        SCOPED_TRACE(testing::Message() << "ending " << &e - endings.data());
        H8Cpu cpu;
        load(cpu, e.memory);
        load(cpu, {{image, e.code}});
        const auto start = std::chrono::steady_clock::now();
        const CallOutcome outcome = cpu.call(image, e.budget);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(std::tuple(outcome.kind, outcome.executed, outcome.address, outcome.instruction, cpu.pc()),
                  std::tuple(e.kind, e.executed, e.address, e.instruction, e.address));
    }
}

} // namespace
