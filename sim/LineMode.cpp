#include "sim/LineMode.h"

#include <algorithm>
#include <cmath>
#include <iterator>

LineMode LineRegisters::mode() const
{
    const Parity parity = !(serialMode & parityEnable) ? Parity::none : serialMode & oddParity ? Parity::odd : Parity::even;
    return {{standardRate(bitRate, serialMode & clockSelect), parity}, sendComplements != 0};
}

int standardRate(std::uint8_t bitRate, int clockSelect)
{
    static constexpr int rates[] = {110, 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 500000};
    constexpr double clock = 16e6;
    const double rate = clock / (32.0 * std::pow(4.0, clockSelect) * (bitRate + 1));
    // Nearest by ratio: the rates are spaced by factors, not by steps.
    return *std::min_element(std::begin(rates), std::end(rates), [rate](int a, int b) {
        return std::abs(std::log(a / rate)) < std::abs(std::log(b / rate));
    });
}

LineSettings HostSettings::filledFrom(const LineSettings& line) const
{
    return {bitsPerSecond.value_or(line.bitsPerSecond), parity.value_or(line.parity)};
}
