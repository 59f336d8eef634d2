#include "sim/SimOptions.h"

#include "sim/InfraredNoise.h"

#include <cstdlib>
#include <optional>

namespace {

std::optional<std::uint32_t> parseSeed(const std::string& text)
{
    char* end = nullptr;
    const unsigned long long seed = std::strtoull(text.c_str(), &end, 0);
    if (end == text.c_str() || *end != '\0' || text.front() == '-' || seed > UINT32_MAX)
        return std::nullopt;
    return static_cast<std::uint32_t>(seed);
}

std::optional<BrickClock::Kind> parseClock(const std::string& text)
{
    if (text == "wall")
        return BrickClock::Kind::Wall;
    if (text == "manual")
        return BrickClock::Kind::Manual;
    return std::nullopt;
}

} // namespace

std::variant<SimOptions, std::string> SimOptions::parse(const std::vector<std::string>& arguments)
{
    SimOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--realtime") {
            options.realtime = true;
            continue;
        }
        if (option == "--no-firmware") {
            options.firmware = false;
            continue;
        }
        if (option == "-h" || option == "--help") {
            options.showHelp = true;
            continue;
        }
        if (option == "--version") {
            options.showVersion = true;
            continue;
        }
        if (option != "--announce" && option != "--noise" && option != "--seed" && option != "--clock")
            return "unknown option '" + option + "'";
        if (i + 1 == arguments.size())
            return "option '" + option + "' needs a value";
        const std::string& value = arguments[++i];
        const std::string refusal = "invalid value '" + value + "' for option '" + option + "'";
        if (option == "--announce") {
            if (value.empty())
                return refusal;
            options.announce = value;
        } else if (option == "--noise") {
            const std::optional<double> noise = parseProbability(value);
            if (!noise)
                return refusal;
            options.noise = *noise;
        } else if (option == "--seed") {
            const std::optional<std::uint32_t> seed = parseSeed(value);
            if (!seed)
                return refusal;
            options.seed = *seed;
        } else {
            const std::optional<BrickClock::Kind> clock = parseClock(value);
            if (!clock)
                return refusal;
            options.clock = *clock;
        }
    }
    return options;
}
