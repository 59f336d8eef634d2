// brickOS's firmware installed on the virtual brick by nqc and by brickOS's
// firmdl3, at normal speed and in the ROM's fast mode.
#include "Peers.h"
#include "rcx/FirmwareFile.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

namespace {

const std::string brickOs = "/usr/lib/brickos/brickOS.srec";

// An install onto the brick's terminal; what went wrong, or empty.
using Install = std::function<std::string(const std::string& path)>;

Install peer(const std::string& command)
{
    return [command](const std::string& path) {
        std::string line = command;
        const auto [status, output] = run(line.replace(line.find("%s"), 2, path) + brickOs);
        return status == 0 ? std::string() : output;
    };
}

TEST(PeerFirmware, InstallsBrickOsByteForByteAtEitherSpeed)
{
    const std::vector<std::uint8_t> image = readFirmwareFile(brickOs).image;
    ASSERT_FALSE(image.empty());
    const std::pair<const char*, Install> installs[] = {
        {"nqc", peer("nqc -S%s -firmware ")}, {"nqc fast", peer("nqc -S%s -firmfast ")},
        {"firmdl3 slow", peer("firmdl3 --slow --tty=%s ")}, {"firmdl3", peer("firmdl3 --tty=%s ")},
    };
    for (const auto& [name, install] : installs) {
        SCOPED_TRACE(name);
        TemporaryFolder folder;
        SimProcess sim(INFRABRICK_SIM, {"--no-firmware"});
        ASSERT_EQ(install(sim.path()), "");
        ASSERT_EQ(sim.control("dump firmware " + folder.path("image")), "ok");
        std::ifstream dumped(folder.path("image"), std::ios::binary);
        EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(dumped), {}), image);
        EXPECT_TRUE(contains(sim.state(), R"("line":{"speed":2400,"complements":true,"parity":"odd"})")) << "the firmware runs the ROM's line";
        EXPECT_TRUE(contains(sim.state(), R"("firmware":{"present":true)"));
    }
}

} // namespace
