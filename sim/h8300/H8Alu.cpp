#include "sim/h8300/H8Alu.h"

#include "sim/h8300/H8Cpu.h"

namespace h8300::alu {

namespace {

constexpr std::uint8_t arithmeticFlags = halfCarry | negative | zero | overflow | carry;

std::uint8_t signAndZero(Width width, unsigned result)
{
    return static_cast<std::uint8_t>(((result & width.sign) != 0 ? negative : 0) | (result == 0 ? zero : 0));
}

void setFlags(std::uint8_t& ccr, std::uint8_t changed, std::uint8_t values)
{
    ccr = static_cast<std::uint8_t>((ccr & ~changed) | values);
}

} // namespace

unsigned add(Width width, unsigned a, unsigned b, unsigned carryIn, std::uint8_t& ccr)
{
    const unsigned sum = a + b + carryIn;
    const unsigned result = sum & width.mask;
    std::uint8_t flags = signAndZero(width, result);
    if ((a & width.lowMask) + (b & width.lowMask) + carryIn > width.lowMask)
        flags |= halfCarry;
    if ((~(a ^ b) & (a ^ result) & width.sign) != 0)
        flags |= overflow;
    if (sum > width.mask)
        flags |= carry;
    setFlags(ccr, arithmeticFlags, flags);
    return result;
}

unsigned subtract(Width width, unsigned a, unsigned b, unsigned borrowIn, std::uint8_t& ccr)
{
    const unsigned result = (a - b - borrowIn) & width.mask;
    std::uint8_t flags = signAndZero(width, result);
    if ((a & width.lowMask) < (b & width.lowMask) + borrowIn)
        flags |= halfCarry;
    if (((a ^ b) & (a ^ result) & width.sign) != 0)
        flags |= overflow;
    if (a < b + borrowIn)
        flags |= carry;
    setFlags(ccr, arithmeticFlags, flags);
    return result;
}

void keepZeroOnlyIf(bool zeroBefore, std::uint8_t& ccr)
{
    if (!zeroBefore)
        ccr &= static_cast<std::uint8_t>(~zero);
}

std::uint8_t increment(std::uint8_t a, std::uint8_t& ccr)
{
    const auto result = static_cast<std::uint8_t>(a + 1);
    setFlags(ccr, negative | zero | overflow, signAndZero(byteWidth, result) | (a == 0x7F ? overflow : 0));
    return result;
}

std::uint8_t decrement(std::uint8_t a, std::uint8_t& ccr)
{
    const auto result = static_cast<std::uint8_t>(a - 1);
    setFlags(ccr, negative | zero | overflow, signAndZero(byteWidth, result) | (a == 0x80 ? overflow : 0));
    return result;
}

unsigned moved(Width width, unsigned value, std::uint8_t& ccr)
{
    setFlags(ccr, negative | zero | overflow, signAndZero(width, value));
    return value;
}

std::uint8_t shift(int kind, std::uint8_t a, std::uint8_t& ccr)
{
    const unsigned carryIn = ccr & carry;
    // Bit 7 goes into C on a left shift, bit 0 on a right one. (The
    // manual's text for SHLL says bit 0, its diagram and SHAL's bit 7.)
    const bool left = (kind & 2) == 0;
    const unsigned carryOut = left ? a >> 7 : a & 1;
    unsigned result = left ? (a << 1) & 0xFF : a >> 1;
    switch (kind) {
    case 3: result |= a & 0x80; break;           // SHAR keeps the sign
    case 4: result |= carryIn; break;            // ROTXL
    case 5: result |= carryOut; break;           // ROTL
    case 6: result |= carryIn << 7; break;       // ROTXR
    case 7: result |= carryOut << 7; break;      // ROTR
    default: break;
    }
    // Only SHAL can overflow: when the sign bit changes.
    const bool overflowed = kind == 1 && ((a ^ (a << 1)) & 0x80) != 0;
    setFlags(ccr, negative | zero | overflow | carry,
             static_cast<std::uint8_t>(signAndZero(byteWidth, result) | (overflowed ? overflow : 0) | carryOut));
    return static_cast<std::uint8_t>(result);
}

} // namespace h8300::alu
