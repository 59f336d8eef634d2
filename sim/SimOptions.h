#pragma once

#include "sim/BrickClock.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// The command line of infrabrick-sim; `help` lists the options.
struct SimOptions {
    bool realtime = false;
    bool firmware = true;
    std::string announce;
    double noise = 0.0;
    std::uint32_t seed = 1;
    BrickClock::Kind clock = BrickClock::Kind::Wall;
    // Asked for the help or the version instead of a brick.
    bool showHelp = false;
    bool showVersion = false;

    static constexpr const char* help =
        "Usage: infrabrick-sim [OPTION]...\n"
        "A virtual LEGO Mindstorms RCX brick with its firmware, behind a serial IR\n"
        "tower, on a pseudo-terminal. Prints the terminal's path, then answers one\n"
        "control command a line from standard input until end of input, `quit',\n"
        "SIGINT or SIGTERM. The commands are listed in infrabrick-sim(1).\n"
        "\n"
        "Options:\n"
        "  --realtime           pace the infrared line at its speed (2400 bit/s, or\n"
        "                       4800 in the ROM's fast mode), as a real tower\n"
        "  --no-firmware        start with the firmware gone: only the boot ROM answers\n"
        "  --announce NAME      list the brick to Infrabrick as the tower NAME\n"
        "                       ($XDG_RUNTIME_DIR/infrabrick/towers/NAME)\n"
        "  --noise P            lose or garble each infrared byte with probability P\n"
        "                       (0 to 1)\n"
        "  --seed N             the noise's seed (default 1)\n"
        "  --clock wall|manual  run programs by the machine's clock (default), or by a\n"
        "                       manual clock that only the command `advance MS' moves\n"
        "  -h, --help           print this help and exit\n"
        "  --version            print the version and exit\n";

    // The options, or the reason the arguments do not parse, naming the
    // option at fault.
    static std::variant<SimOptions, std::string> parse(const std::vector<std::string>& arguments);
};
