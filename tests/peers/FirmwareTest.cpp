// brickOS's firmware, installed on the virtual brick by nqc and by brickOS's
// firmdl3, at normal speed and in the ROM's fast mode.
#include "rcx/FirmwareFile.h"
#include "support/Recording.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace {

const std::string brickOs = "/usr/lib/brickos/brickOS.srec";

// A shell command's exit status and its output, errors included.
std::pair<int, std::string> run(const std::string& command)
{
    std::string output;
    FILE* pipe = ::popen(("timeout 120 " + command + " 2>&1").c_str(), "r");
    std::array<char, 4096> chunk;
    while (std::size_t count = std::fread(chunk.data(), 1, chunk.size(), pipe))
        output.append(chunk.data(), count);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(PeerFirmware, InstallsBrickOsByteForByteAtEitherSpeed)
{
    const std::vector<std::uint8_t> image = readFirmwareFile(brickOs).image;
    ASSERT_FALSE(image.empty());
    for (const char* install : {"nqc -S%s -firmware ", "nqc -S%s -firmfast ", "firmdl3 --slow --tty=%s ", "firmdl3 --tty=%s "}) {
        SCOPED_TRACE(install);
        TemporaryFolder folder;
        SimProcess sim(INFRABRICK_SIM, {"--no-firmware"});
        std::string command = install;
        command.replace(command.find("%s"), 2, sim.path());
        const auto [status, output] = run(command + brickOs);
        ASSERT_EQ(status, 0) << output;
        ASSERT_EQ(sim.control("dump firmware " + folder.path("image")), "ok");
        std::ifstream dumped(folder.path("image"), std::ios::binary);
        EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(dumped), {}), image);
        EXPECT_NE(sim.state().find(R"("line":{"speed":2400,"complements":true,"parity":"odd"})"), std::string::npos)
            << "the firmware runs the ROM's line";
        EXPECT_NE(sim.state().find(R"("firmware":{"present":true)"), std::string::npos);
    }
}

} // namespace
