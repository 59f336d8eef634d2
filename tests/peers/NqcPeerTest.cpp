// NQC, an RCX compiler and downloader written elsewhere, against the virtual
// brick over its pseudo-terminal: what NQC does must come out as on a brick.
#include "Shell.h"
#include "support/ScriptedPort.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string program = INFRABRICK_SIM;
const std::string brickOSFirmware = "/usr/lib/brickos/brickOS.srec";

std::string upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The code bytes of each task and subroutine of an NQC listing, keyed
// "Task N" or "Sub N", in the brick's hex notation ("13 07 02 07").
std::map<std::string, std::string> listedCode(const std::string& listing)
{
    std::map<std::string, std::string> code;
    const std::regex heading(R"(^\*\*\* (Task|Sub) (\d+) )");
    const std::regex instruction(R"(^\d{3} .*?\s{2,}((?:[0-9a-f]{2} ?)+)\s*$)");
    std::istringstream lines(listing);
    std::string current;
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_search(line, match, heading)) {
            current = match[1].str() + " " + match[2].str();
        } else if (!current.empty() && std::regex_match(line, match, instruction)) {
            std::string& bytes = code[current];
            std::istringstream words(match[1].str());
            for (std::string word; words >> word;)
                bytes += (bytes.empty() ? "" : " ") + upper(word);
        }
    }
    return code;
}

class NqcPeer : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim.emplace(program, arguments());
        ASSERT_FALSE(sim->path().empty());
        char name[] = "/tmp/infrabrick-nqc-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        folder = name;
    }
    void TearDown() override { fs::remove_all(folder); }

    virtual std::vector<std::string> arguments() { return {}; }
    Outcome nqc(const std::string& arguments) { return run("nqc -S" + sim->path() + " " + arguments); }
    std::string state() { return sim->control("state"); }
    fs::path source(const std::string& name, const std::string& text)
    {
        const fs::path path = folder / name;
        std::ofstream(path) << text;
        return path;
    }

    std::optional<SimProcess> sim;
    fs::path folder;
};

TEST_F(NqcPeer, ADownloadedProgramHoldsTheListedCode)
{
    const fs::path file = source("two.nqc",
        "int x;\n"
        "sub beep() { PlaySound(SOUND_CLICK); }\n"
        "task main() { x = 5; start second; beep(); Wait(20); }\n"
        "task second() { SetPower(OUT_B, 2); On(OUT_B); }\n");
    const Outcome listing = run("nqc -L " + file.string());
    ASSERT_EQ(listing.status, 0) << listing.output;
    const auto code = listedCode(listing.output);
    ASSERT_EQ(code.size(), 3u) << listing.output;

    const Outcome download = nqc("-d " + file.string());
    ASSERT_EQ(download.status, 0) << download.output;
    const std::string expected = "{\"slot\":1,\"tasks\":{\"0\":\"" + code.at("Task 0") + "\",\"1\":\"" +
        code.at("Task 1") + "\"},\"subs\":{\"0\":\"" + code.at("Sub 0") + "\"}}";
    EXPECT_TRUE(contains(state(), expected)) << expected << "\n" << state();
}

TEST_F(NqcPeer, RunStartsTheDownloadedProgram)
{
    const fs::path file = source("run.nqc", "task main() { On(OUT_A); }\n");
    ASSERT_EQ(nqc("-d " + file.string()).status, 0);
    EXPECT_TRUE(contains(state(), "\"running\":false"));
    const Outcome started = nqc("-run");
    EXPECT_EQ(started.status, 0) << started.output;
    EXPECT_TRUE(waitUntil([&] { return contains(state(), "\"outputs\":[{\"power\":7,\"direction\":\"forward\",\"state\":\"on\"}"); }))
        << state();
}

TEST_F(NqcPeer, MessagesArrive)
{
    EXPECT_EQ(nqc("-msg 42").status, 0);
    EXPECT_EQ(nqc("-msg 43").status, 0);
    EXPECT_TRUE(waitUntil([&] { return contains(state(), "\"messages\":[42,43]"); })) << state();
}

TEST_F(NqcPeer, TheWatchIsSetToNow)
{
    const Outcome set = nqc("-watch now");
    ASSERT_EQ(set.status, 0) << set.output;
    const std::time_t now = std::time(nullptr);
    std::tm local;
    ::localtime_r(&now, &local);
    const int minutes = local.tm_hour * 60 + local.tm_min;
    std::smatch watch;
    const std::string text = state();
    ASSERT_TRUE(std::regex_search(text, watch, std::regex("\"watch\":(\\d+)")));
    const int shown = std::stoi(watch[1].str());
    // The minute may have turned between the setting and the reading.
    EXPECT_TRUE(shown == minutes || (shown + 1) % 1440 == minutes) << shown << " vs " << minutes;
}

TEST_F(NqcPeer, RawPacketsGetTheBricksReply)
{
    EXPECT_EQ(sim->control("battery 7500"), "ok");
    const Outcome battery = nqc("-raw 30");
    EXPECT_EQ(battery.status, 0);
    EXPECT_TRUE(contains(upper(battery.output), "4C 1D")) << battery.output;
    const Outcome variable = nqc("-raw 1403020900");
    EXPECT_EQ(variable.status, 0) << variable.output;
    EXPECT_TRUE(contains(state(), "\"variables\":[0,0,0,9,")) << state();
    const Outcome read = nqc("-raw 120003");
    EXPECT_TRUE(contains(upper(read.output), "09 00")) << read.output;
}

TEST_F(NqcPeer, ProgramSlotIsSelected)
{
    EXPECT_EQ(nqc("-pgm 3").status, 0);
    EXPECT_TRUE(contains(state(), "\"slot\":3,"));
    EXPECT_EQ(sim->control("history"), "[\"10\",\"91 02\"]");
}

TEST_F(NqcPeer, DatalogIsUploaded)
{
    ASSERT_EQ(nqc("-raw 520A00").status, 0);
    for (const char* entry : {"datalog add 3 120", "datalog add 0x41 -5", "datalog add 0x80 700"})
        ASSERT_EQ(sim->control(entry), "ok");
    const Outcome values = nqc("-datalog");
    EXPECT_EQ(values.status, 0) << values.output;
    EXPECT_TRUE(contains(values.output, "120\n-5\n700\n")) << values.output;
    const Outcome full = nqc("-datalog_full");
    EXPECT_TRUE(contains(full.output, "Variable 3: 120\nSensor 2: -5\nWatch: 700\n")) << full.output;
}

// Starting with firmware, or with the ROM only, as after a deleted firmware.
class NqcFirmware : public NqcPeer, public ::testing::WithParamInterface<bool> {
protected:
    std::vector<std::string> arguments() override
    {
        return GetParam() ? std::vector<std::string>{} : std::vector<std::string>{"--no-firmware"};
    }
};

TEST_P(NqcFirmware, BrickOSIsInstalled)
{
    const Outcome install = nqc("-firmware " + brickOSFirmware);
    ASSERT_EQ(install.status, 0) << install.output;
    const std::string text = state();
    EXPECT_TRUE(contains(text, "\"firmware\":{\"present\":true,\"unlocked\":true,")) << text;

    const fs::path image = folder / "brickOS.bin";
    const fs::path dumped = folder / "dumped.bin";
    ASSERT_EQ(run("srec_cat " + brickOSFirmware + " -offset -0x8000 -o " + image.string() + " -binary").status, 0);
    ASSERT_EQ(sim->control("dump firmware " + dumped.string()), "ok");
    std::ifstream expected(image, std::ios::binary);
    std::ifstream got(dumped, std::ios::binary);
    EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(expected), std::istreambuf_iterator<char>(),
        std::istreambuf_iterator<char>(got), std::istreambuf_iterator<char>()));
    EXPECT_TRUE(contains(text, "\"address\":32794,")) << text;
}

INSTANTIATE_TEST_SUITE_P(StartingWith, NqcFirmware, ::testing::Values(true, false),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Firmware" : "RomOnly"; });

} // namespace
