#pragma once

#include <cstdint>

// The H8/300's arithmetic with its flags, as the programming manual gives
// them for each instruction. Each function returns the result and updates
// the condition code register ccr; flags an instruction leaves alone keep
// their value.
namespace h8300::alu {

// The operand size: byte or word.
struct Width {
    unsigned mask;
    unsigned sign;
    // The bits below the half-carry's: bit 3 of a byte, bit 11 of a word.
    unsigned lowMask;
};
inline constexpr Width byteWidth{0xFF, 0x80, 0x0F};
inline constexpr Width wordWidth{0xFFFF, 0x8000, 0x0FFF};

// ADD, ADDX (carryIn the C flag): H, N, Z, V, C.
unsigned add(Width width, unsigned a, unsigned b, unsigned carryIn, std::uint8_t& ccr);
// SUB, SUBX, CMP, NEG (a - b - borrowIn): H, N, Z, V, C as borrows.
unsigned subtract(Width width, unsigned a, unsigned b, unsigned borrowIn, std::uint8_t& ccr);
// ADDX and SUBX keep Z only while every part of a multi-byte result is 0.
void keepZeroOnlyIf(bool zeroBefore, std::uint8_t& ccr);

// INC, DEC: N, Z, V; H and C stay.
std::uint8_t increment(std::uint8_t a, std::uint8_t& ccr);
std::uint8_t decrement(std::uint8_t a, std::uint8_t& ccr);

// MOV and the logic operations: N and Z from the value, V cleared.
unsigned moved(Width width, unsigned value, std::uint8_t& ccr);

// The shifts and rotates, numbered as their encodings order them:
// 0 SHLL, 1 SHAL, 2 SHLR, 3 SHAR, 4 ROTXL, 5 ROTL, 6 ROTXR, 7 ROTR.
std::uint8_t shift(int kind, std::uint8_t a, std::uint8_t& ccr);

} // namespace h8300::alu
