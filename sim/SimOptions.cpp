#include "sim/SimOptions.h"

#include "sim/InfraredNoise.h"

#include <cstdlib>

std::optional<SimOptions> SimOptions::parse(const std::vector<std::string>& arguments)
{
    SimOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (option == "--realtime") {
            options.realtime = true;
        } else if (option == "--no-firmware") {
            options.firmware = false;
        } else if (option == "--announce" && hasValue && !arguments[i + 1].empty()) {
            options.announce = arguments[++i];
        } else if (option == "--noise" && hasValue) {
            const std::optional<double> noise = parseProbability(arguments[++i]);
            if (!noise)
                return std::nullopt;
            options.noise = *noise;
        } else if (option == "--clock" && hasValue) {
            const std::string& kind = arguments[++i];
            if (kind != "wall" && kind != "manual")
                return std::nullopt;
            options.clock = kind == "wall" ? BrickClock::Kind::Wall : BrickClock::Kind::Manual;
        } else if (option == "--seed" && hasValue) {
            const char* text = arguments[++i].c_str();
            char* end = nullptr;
            const unsigned long long seed = std::strtoull(text, &end, 0);
            if (end == text || *end != '\0' || *text == '-' || seed > UINT32_MAX)
                return std::nullopt;
            options.seed = static_cast<std::uint32_t>(seed);
        } else {
            return std::nullopt;
        }
    }
    return options;
}
