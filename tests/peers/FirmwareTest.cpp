// brickOS's firmware installed on the virtual brick by nqc and brickOS's firmdl3, at normal speed and in fast mode.
#include "Peers.h"
#include "rcx/FirmwareFile.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

const std::string brickOs = "/usr/lib/brickos/brickOS.srec";

TEST(PeerFirmware, InstallsBrickOsByteForByteAtEitherSpeed)
{
    const std::vector<std::uint8_t> image = readFirmwareFile(brickOs).image;
    ASSERT_FALSE(image.empty());
    // Each install's command, %s for the brick's terminal.
    const std::pair<const char*, std::string> installs[] = {
        {"nqc", "nqc -S%s -firmware "}, {"nqc fast", "nqc -S%s -firmfast "},
        {"firmdl3 slow", "firmdl3 --slow --tty=%s "}, {"firmdl3", "firmdl3 --tty=%s "},
    };
    for (auto [name, command] : installs) {
        SCOPED_TRACE(name);
        TemporaryFolder folder;
        SimProcess sim(INFRABRICK_SIM, {"--no-firmware"});
        const auto [status, output] = run(command.replace(command.find("%s"), 2, sim.path()) + brickOs);
        ASSERT_EQ(status, 0) << output;
        ASSERT_EQ(sim.control("dump firmware " + folder.path("image")), "ok");
        std::ifstream dumped(folder.path("image"), std::ios::binary);
        EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(dumped), {}), image);
        EXPECT_TRUE(contains(sim.state(), R"("line":{"speed":2400,"complements":true,"parity":"odd"})")) << "the firmware runs the ROM's line";
        EXPECT_TRUE(contains(sim.state(), R"("firmware":{"present":true)"));
    }
}

} // namespace
