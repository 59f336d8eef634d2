// Transfers of files made by programs no one here wrote, into the virtual
// brick: programs compiled by nqc, and brickOS's firmware as srec_cat reads
// it.
#include "ProgramFiles.h"
#include "VirtualBrick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

const std::string fixtures = INFRABRICK_RCX_FIXTURES;
const std::string brickOS = "/usr/lib/brickos/brickOS.srec";

bool have(const std::string& program)
{
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// Downloads the file into slot 3; the brick must hold each fragment's code
// byte for byte, and the controller the file's names.
void expectDownloaded(const std::string& path)
{
    VirtualBrick virtualBrick;
    RecordingFileOp fileOp;
    virtualBrick.controller.selectProgram(3);
    ASSERT_EQ(virtualBrick.controller.sendProgFile(path, fileOp), 0) << path;
    const ProgramContents contents = contentsOf(readAll(path));
    ASSERT_FALSE(contents.fragments.empty());
    const ProgramSlot stored = virtualBrick.brick.snapshot().programs[2];
    for (const ProgramContents::Code& fragment : contents.fragments) {
        const ByteString& code = fragment.type == 0 ? stored.tasks.at(fragment.number) : stored.subs.at(fragment.number);
        EXPECT_EQ(code, fragment.code) << path << (fragment.type == 0 ? " task " : " sub ") << fragment.number;
    }
    EXPECT_FALSE(contents.names.empty());
    EXPECT_EQ(sorted(virtualBrick.names(3)), sorted(contents.names));
    EXPECT_EQ(virtualBrick.controller.progName(3), std::filesystem::path(path).stem().string());
    double progress = 0;
    for (double increment : fileOp.increments)
        progress += increment;
    EXPECT_NEAR(progress, 100, 1e-9);
    EXPECT_EQ(fileOp.events.back(), "stop");
    EXPECT_EQ(virtualBrick.listener.timeouts + virtualBrick.listener.towerErrors, 0);
}

TEST(Peers, FixturesCompiledByNqcDownloadAsTheyAre)
{
    for (const char* name : {"blink.rcx", "tasks.rcx"})
        expectDownloaded(fixtures + "/" + name);
}

// A program long enough for many blocks, several tasks and subroutines.
std::string generatedProgram()
{
    std::string source = "int a; int b; int c;\n";
    for (int sub = 0; sub < 3; ++sub) {
        source += "sub s" + std::to_string(sub) + "() {\n";
        for (int i = 0; i < 10 + 7 * sub; ++i)
            source += "  a = a + " + std::to_string(i * 3 + sub) + "; b = b - a;\n";
        source += "}\n";
    }
    source += "task helper() { while (true) { c = c + 1; Wait(10); } }\n";
    source += "task main() {\n  start helper;\n";
    for (int i = 0; i < 40; ++i)
        source += "  SetPower(OUT_B, " + std::to_string(i % 8) + "); s" + std::to_string(i % 3) + "();\n";
    source += "  stop helper;\n}\n";
    return source;
}

TEST(Peers, ProgramsCompiledNowDownloadAsTheyAre)
{
    if (!have("nqc"))
        GTEST_SKIP() << "nqc is not installed";
    TemporaryFolder folder;
    const std::string source = folder.write("generated.nqc", generatedProgram());
    for (const char* target : {"-Trcx", "-Trcx2"}) {
        const std::string output = folder.path(std::string("generated") + target + ".rcx");
        ASSERT_EQ(std::system(("nqc " + std::string(target) + " -O" + output + " " + source).c_str()), 0);
        ASSERT_GT(std::filesystem::file_size(output), 400u) << "many blocks";
        expectDownloaded(output);
    }
}

TEST(Peers, BrickOSInstallsAsSrecCatReadsIt)
{
    if (!have("srec_cat") || !std::filesystem::exists(brickOS))
        GTEST_SKIP() << "srecord or brickos is not installed";
    TemporaryFolder folder;
    const std::string binary = folder.path("brickOS.bin");
    // srec_cat writes the data from its lowest address on, gaps filled.
    ASSERT_EQ(std::system(("srec_cat " + brickOS + " -offset - -minimum-addr " + brickOS + " -o " + binary +
                           " -binary")
                              .c_str()),
              0);
    const Bytes image = readAll(binary);
    ASSERT_GT(image.size(), 10000u);

    VirtualBrick virtualBrick;
    RecordingFileOp fileOp;
    virtualBrick.controller.sendFirmware(brickOS, fileOp);
    EXPECT_EQ(fileOp.events.back(), "stop");
    const FirmwareState firmware = virtualBrick.brick.snapshot().firmware;
    EXPECT_EQ(firmware.image, image);
    EXPECT_EQ(firmware.address, 0x801A) << "the file's S9 record";
    EXPECT_TRUE(firmware.checksumMatched);
    EXPECT_TRUE(firmware.present && firmware.unlocked);
    EXPECT_EQ(virtualBrick.listener.timeouts + virtualBrick.listener.towerErrors, 0);
}

} // namespace
