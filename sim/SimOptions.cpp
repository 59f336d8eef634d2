#include "sim/SimOptions.h"

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
            const char* text = arguments[++i].c_str();
            char* end = nullptr;
            options.noise = std::strtod(text, &end);
            if (end == text || *end != '\0' || !(options.noise >= 0.0 && options.noise <= 1.0))
                return std::nullopt;
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
