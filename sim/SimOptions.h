#pragma once

#include "sim/BrickClock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The command line of infrabrick-sim:
//   --realtime        pace the infrared line at 2400 bit/s
//   --no-firmware     start with only the boot ROM
//   --announce NAME   link $XDG_RUNTIME_DIR/infrabrick/towers/NAME to the line
//   --noise P         lose or garble each infrared byte with probability P
//   --seed N          the noise's seed (default 1)
//   --clock KIND      programs run by the wall clock (default) or by a
//                     manual one that only the control command advance moves
struct SimOptions {
    bool realtime = false;
    bool firmware = true;
    std::string announce;
    double noise = 0.0;
    std::uint32_t seed = 1;
    BrickClock::Kind clock = BrickClock::Kind::Wall;

    static constexpr const char* usage =
        "usage: infrabrick-sim [--realtime] [--no-firmware] [--announce NAME] [--noise P] [--seed N] "
        "[--clock wall|manual]";

    // The options, or nothing when the arguments do not parse.
    static std::optional<SimOptions> parse(const std::vector<std::string>& arguments);
};
