#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>

// Faults on the infrared path: each byte is lost or garbled (an XOR with a
// non-zero value) with the given probability, half of each. The same seed
// and the same bytes give the same faults.
class InfraredNoise {
public:
    static constexpr std::uint32_t defaultSeed = 1;

    // Changes the probability and keeps the sequence going.
    void setProbability(double probability);
    void reseed(std::uint32_t seed);
    double probability() const { return chance; }

    // The byte as it arrives, or nothing when it is lost.
    std::optional<std::uint8_t> pass(std::uint8_t byte);

private:
    double chance = 0.0;
    std::mt19937 random{defaultSeed};
};

// A noise probability as the command line and the control command take it:
// the whole text a number from 0 to 1; nothing otherwise.
std::optional<double> parseProbability(const std::string& text);
