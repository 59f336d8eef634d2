// Transfers of files made by programs no one here wrote: programs compiled
// by nqc, and brickOS's firmware with srec_cat's reading of it.
#include "ScriptedBrick.h"

#include "rcx/FileReaders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

const std::string fixtures = INFRABRICK_RCX_FIXTURES;
const std::string brickOS = "/usr/lib/brickos/brickOS.srec";

bool have(const std::string& program)
{
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

Bytes readAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint16_t at2(const Bytes& bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

// What a program file holds, read here on its own terms so that the
// download is checked against an independent reading.
struct ProgramContents {
    struct Code {
        int type;
        int number;
        Bytes code;
        bool operator==(const Code&) const = default;
    };
    std::vector<Code> fragments;
    // "task 0 main", "var 2 level", …
    std::vector<std::string> names;
};

ProgramContents contentsOf(const Bytes& file)
{
    ProgramContents contents;
    std::size_t offset = 12;
    for (int i = 0; i < at2(file, 6); ++i) {
        const int length = at2(file, offset + 2);
        contents.fragments.push_back(
            {file.at(offset), file.at(offset + 1), Bytes(file.begin() + offset + 4, file.begin() + offset + 4 + length)});
        offset += 4 + length + ((4 - length) & 3);
    }
    const char* kinds[] = {"task", "sub", "var"};
    for (int i = 0; i < at2(file, 8); ++i) {
        const int type = file.at(offset);
        const int length = file.at(offset + 2);
        const std::string name(file.begin() + offset + 4, file.begin() + offset + 4 + std::max(length - 1, 0));
        if (type <= 2)
            contents.names.push_back(std::string(kinds[type]) + " " + std::to_string(file.at(offset + 1)) + " " + name);
        offset += 4 + length;
    }
    return contents;
}

// The fragments as the brick received them: each begin command, then the
// data of its blocks joined.
std::vector<ProgramContents::Code> fragmentsReceived(ScriptedBrick& brick)
{
    std::vector<ProgramContents::Code> fragments;
    for (const Command& command : brick.commands()) {
        if (command[0] == 0x25 || command[0] == 0x35)
            fragments.push_back({command[0] == 0x25 ? 0 : 1, command[2], {}});
        if (command[0] == 0x45) {
            const int length = command[3] + 256 * command[4];
            fragments.back().code.insert(fragments.back().code.end(), command.begin() + 5,
                                         command.begin() + 5 + length);
        }
    }
    return fragments;
}

std::vector<std::string> namesIn(RCXController& controller, int slot)
{
    std::vector<std::string> names;
    auto add = [&names](const std::string& kind, int index, const std::string& name) {
        if (!name.empty())
            names.push_back(kind + " " + std::to_string(index) + " " + name);
    };
    for (int task = 1; task <= 10; ++task)
        add("task", task - 1, controller.taskName(slot, task));
    for (int sub = 1; sub <= 8; ++sub)
        add("sub", sub - 1, controller.subName(slot, sub));
    for (int variable = 0; variable < 32; ++variable)
        add("var", variable, controller.varName(slot, variable));
    return names;
}

void expectDownloaded(const std::string& path)
{
    ScriptedBrick brick;
    RecordingFileOp fileOp;
    brick.controller.selectProgram(2);
    brick.clearCommands();
    ASSERT_EQ(brick.controller.sendProgFile(path, fileOp), 0) << path;
    const ProgramContents contents = contentsOf(readAll(path));
    ASSERT_FALSE(contents.fragments.empty());
    EXPECT_EQ(fragmentsReceived(brick), contents.fragments);
    std::vector<std::string> expectedNames = contents.names;
    std::sort(expectedNames.begin(), expectedNames.end());
    std::vector<std::string> names = namesIn(brick.controller, 2);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expectedNames);
    EXPECT_FALSE(names.empty());
    EXPECT_EQ(brick.controller.progName(2), std::filesystem::path(path).stem().string());
    double progress = 0;
    for (double increment : fileOp.increments)
        progress += increment;
    EXPECT_NEAR(progress, 100, 1e-9);
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

    ScriptedBrick brick;
    RecordingFileOp fileOp;
    brick.controller.sendFirmware(brickOS, fileOp);
    EXPECT_EQ(fileOp.events.back(), "stop");
    Bytes received;
    for (const Block& block : brick.blocks())
        received.insert(received.end(), block.data.begin(), block.data.end());
    EXPECT_EQ(received, image);

    int checksum = 0;
    for (std::size_t i = 0; i < std::min<std::size_t>(image.size(), 0x4C00); ++i)
        checksum += image[i];
    const Command begin = brick.commands().at(1);
    EXPECT_EQ(begin, (Command{0x75, 0x1A, 0x80, static_cast<std::uint8_t>(checksum & 0xFF),
                              static_cast<std::uint8_t>((checksum >> 8) & 0xFF), 0}))
        << "start address 0x801A, as the file's S9 record says";
}

} // namespace
