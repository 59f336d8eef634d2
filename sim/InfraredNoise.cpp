#include "sim/InfraredNoise.h"

#include <algorithm>
#include <cstdlib>

void InfraredNoise::setProbability(double probability)
{
    chance = std::clamp(probability, 0.0, 1.0);
}

void InfraredNoise::reseed(std::uint32_t seed)
{
    random.seed(seed);
}

std::optional<std::uint8_t> InfraredNoise::pass(std::uint8_t byte)
{
    if (chance <= 0.0)
        return byte;
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    if (unit(random) >= chance)
        return byte;
    if (unit(random) < 0.5)
        return std::nullopt;
    std::uniform_int_distribution<int> flip(1, 255);
    return static_cast<std::uint8_t>(byte ^ flip(random));
}

std::optional<double> parseProbability(const std::string& text)
{
    char* end = nullptr;
    const double probability = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !(probability >= 0.0 && probability <= 1.0))
        return std::nullopt;
    return probability;
}
