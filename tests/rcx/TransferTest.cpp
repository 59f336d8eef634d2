// Program downloads, firmware installs and datalog saves on the in-process virtual brick, and their files.
#include "support/SRecords.h"
#include "support/ProgramFiles.h"
#include "support/VirtualBrick.h"

#include "rcx/FileReaders.h"
#include "rcx/FirmwareFile.h"
#include "rcx/Localization.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t count) { return Bytes(bytes.begin() + from, bytes.begin() + from + count); }

class Transfer : public ::testing::Test {
protected:
    int download(const ProgramFile& program, const std::string& name = "prog.rcx")
    {
        return brick.controller.sendProgFile(folder.write(name, program.bytes()), fileOp);
    }

    TemporaryFolder folder;
    VirtualBrick brick;
    RCXController& controller = brick.controller;
    RecordingFileOp fileOp;
};

TEST_F(Transfer, AProgramGoesOutInBlocksOfTwentyAndItsSymbolsNameTheSlot)
{
    controller.selectProgram(2);
    controller.taskName(2, 4) = "old task";
    controller.varName(1, 3) = "other slot";
    std::string& variable = controller.varName(2, 3);
    variable = "old variable";
    brick.brick.clearHistory();
    const Bytes task = codeOf(45, 1), sub = codeOf(20, 2);
    ASSERT_EQ(download({.fragments = {{0, 3, task}, {0, 1, {}}, {1, 7, sub}},
                        .symbols = {{0, 0, "main"}, {0, 9, "last"}, {0, 10, "dropped"}, {1, 7, "helper"}, {1, 8, "dropped"},
                                    {2, 3, "speed"}, {2, 3, "count"}, {2, 31, "top"}, {2, 32, "dropped"}, {3, 0, "dropped"}}},
                       "My Robot.v2.rcx"), 0);
    std::vector<Command> commands;
    for (const Command& command : brick.commands())
        commands.push_back(command[0] == 0x45 ? Command{0x45} : command);
    // An empty fragment: its begin, no block.
    EXPECT_EQ(commands, (std::vector<Command>{{0x50}, {0x40}, {0x70}, {0x25, 0, 3, 0, 45, 0}, {0x45}, {0x45}, {0x45}, {0x25, 0, 1, 0, 0, 0},
                                              {0x35, 0, 7, 0, 20, 0}, {0x45}, {0x51, 5}}));
    EXPECT_EQ(brick.blocks(), (std::vector<Block>{{1, slice(task, 0, 20)}, {2, slice(task, 20, 20)}, {0, slice(task, 40, 5)}, {0, sub}}));
    EXPECT_EQ(fileOp.increments, (std::vector<double>{20 * 100.0 / 135, 20 * 100.0 / 135, 5 * 100.0 / 135, 20 * 100.0 / 60}));
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Downloading file \"My Robot.v2.rcx\"", "stop"}));
    EXPECT_EQ((std::vector{controller.progName(2), controller.taskName(2, 1), controller.taskName(2, 10), controller.taskName(2, 4),
                           controller.subName(2, 8), controller.varName(2, 31), controller.varName(1, 3), controller.progName(1),
                           controller.subName(2, 1)}),
              (std::vector<std::string>{"My Robot.v2", "main", "last", "", "helper", "top", "other slot", "", ""}));
    EXPECT_EQ(variable, "speed, count") << "the same string, changed in place";
    EXPECT_EQ(brick.listener.failures(), 0);
}

TEST_F(Transfer, RefusedBlocksAreSentAgainUntilOneIsRefusedTenTimes)
{
    const Bytes code = codeOf(30);
    const Block first = {1, slice(code, 0, 20)}, last = {0, slice(code, 20, 10)};
    int sent = 0;
    const struct { const char* refusal; std::function<void()> arrange; std::vector<Block> blocks; bool completes; } cases[] = {
        {"twice", [&] { brick.control("refuse-blocks 2"); }, {first, first, first, last}, true},
        {"ten times", [&] { brick.control("refuse-blocks 10"); }, std::vector<Block>(10, first), false},
        // 18 refusals in all, nine a block: the count is the block's own.
        {"nine times a block", [&] { brick.answer(0x45, [&](const Command&) { return Bytes{++sent % 10 != 0}; }); },
         std::vector<Block>(10, first) + std::vector<Block>(10, last), true},
        // A silent brick is one error, after three attempts.
        {"silent", [&] { brick.answer(0x45, [&](const Command&) { return ++sent > 3 ? std::optional(Bytes{0}) : std::nullopt; }); },
         {first, first, first, first, last}, true},
    };
    for (const auto& c : cases) {
        brick.brick.clearHistory();
        fileOp = {};
        sent = 0;
        c.arrange();
        EXPECT_EQ(download({.fragments = {{0, 0, code}}, .symbols = {{2, 0, "speed"}}}), c.completes ? 0 : 1) << c.refusal;
        EXPECT_EQ(brick.blocks(), c.blocks) << c.refusal;
        EXPECT_EQ(fileOp.events.back(), c.completes ? "stop" : "abort Too many download errors") << c.refusal;
        EXPECT_EQ(fileOp.increments.size(), c.completes ? 2u : 0u) << "refused blocks do not advance";
        EXPECT_EQ(brick.commands().back()[0], c.completes ? 0x51 : 0x45) << "no sound after a failure";
        // The slot no longer holds its old program, and only a whole program's names.
        EXPECT_EQ(std::pair(controller.progName(1), controller.varName(1, 0)), (std::pair<std::string, std::string>("prog", c.completes ? "speed" : "")));
    }
    EXPECT_EQ(brick.listener.timeouts, 1);
    // A begin the brick refuses ends the download.
    EXPECT_EQ(download({.fragments = {{0, 0, codeOf(4)}, {0, 1, codeOf(7000)}}}), 1);
    EXPECT_EQ(fileOp.events.back(), "abort RCX memory full");
    // A brick with fewer tasks than the file's checks allow refuses the number itself.
    brick.answer(0x25, [](const Command&) { return std::optional(Bytes{2}); });
    EXPECT_EQ(download({.fragments = {{0, 9, codeOf(4)}, {0, 1, codeOf(4)}}}), 1);
    EXPECT_EQ(fileOp.events.back(), "abort File \"prog.rcx\" contains an illegal task number");
    EXPECT_EQ(brick.commands().back(), (Command{0x25, 0, 9, 0, 4, 0}));
}

TEST_F(Transfer, MalformedProgramFilesAreRefusedBeforeAnythingIsSent)
{
    const Bytes good = ProgramFile{.fragments = {{0, 1, codeOf(6)}}, .symbols = {{2, 0, "speed"}}}.bytes();
    ASSERT_EQ(good.size(), 34u) << "the offsets below assume this layout";
    const auto changed = [&](std::size_t offset, std::uint8_t value) { Bytes file = good; return file[offset] = value, file; };
    const auto first = [&](std::size_t count) { return slice(good, 0, count); };
    const std::string unread = "Error reading file \"bad.rcx\"";
    const std::pair<Bytes, std::string> cases[] = {
        {changed(3, 'J'), "File \"bad.rcx\" has the wrong file signature"},
        {ProgramFile{.version = 0x0103}.bytes(), "File \"bad.rcx\" has an unsupported file version number"},
        {ProgramFile{.targetType = 1}.bytes(), "File \"bad.rcx\" is not compiled for the RCX"},
        {ProgramFile{.targetType = 4}.bytes(), "File \"bad.rcx\" is not compiled for the RCX"},
        {changed(12, 2), "File \"bad.rcx\" contains an unknown fragment type"},
        {changed(13, 10), "File \"bad.rcx\" contains an illegal task number"},
        {changed(13, 255), "File \"bad.rcx\" contains an illegal task number"},
        {ProgramFile{.fragments = {{1, 8, codeOf(6)}}}.bytes(), "File \"bad.rcx\" contains an illegal task number"},
        {{}, unread}, {first(11), unread}, {first(15), unread}, {first(20), unread}, {first(23), unread},
        {first(26), unread}, {first(31), unread},
        {changed(14, 0x40), unread}, // a fragment longer than the file
        {changed(26, 8), unread},    // a name's length past its zero
        {changed(26, 5), unread},    // or before it
    };
    controller.progName(1) = "robot";
    controller.varName(1, 0) = "level";
    for (const auto& [file, message] : cases) {
        fileOp = {};
        EXPECT_EQ(controller.sendProgFile(folder.write("bad.rcx", file), fileOp), 2);
        EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Downloading file \"bad.rcx\"", "abort " + message}));
    }
    EXPECT_EQ(controller.sendProgFile(folder.path("none.rcx"), fileOp), 2);
    EXPECT_EQ(fileOp.events.back(), "abort Can't open file \"none.rcx\"");
    EXPECT_EQ(std::pair(brick.commands().size(), controller.progName(1) + controller.varName(1, 0)), std::pair(std::size_t(0), std::string("robotlevel")));
    // What the limits let through: version 0 for target 3, a nameless symbol.
    Bytes nameless = ProgramFile{.symbols = {{2, 0, "x"}}, .version = 0, .targetType = 3}.bytes();
    nameless.insert(nameless.begin() + 12, {2, 1, 0, 0});
    nameless[8] = 2;
    EXPECT_EQ(controller.sendProgFile(folder.write("ok.rcx", nameless), fileOp), 0);
    EXPECT_EQ(controller.varName(1, 0) + controller.varName(1, 1), "x");
}

// `count` bytes holding the signature the brick's loader looks for.
Bytes imageOf(std::size_t count)
{
    Bytes image(count);
    for (std::size_t i = 0; i < count; ++i)
        image[i] = static_cast<std::uint8_t>(i * 13 + i / 256);
    const std::string signature = "Do you byte, when I knock?";
    std::copy(signature.begin(), signature.end(), image.begin() + std::min<std::size_t>(count - 26, 40));
    return image;
}

// The image as a firmware file with a header.
std::string firmwareText(const Bytes& image, int start = 0x801A) { return record('0', 0, {'f', 'w'}) + recordsOf(image, start); }

TEST_F(Transfer, FirmwareInstallDeletesPausesAnnouncesSendsAndUnlocksIntoABrickWithoutFirmware)
{
    VirtualBrick bare(false);
    Clock::time_point deleted, begun;
    bare.answer(0x65, [&](const Command&) { return deleted = Clock::now(), std::nullopt; });
    bare.answer(0x75, [&](const Command&) { return begun = Clock::now(), Bytes{0}; });
    const Bytes image = imageOf(250);
    bare.controller.progName(1) = "gone with the firmware";
    bare.controller.sendFirmware(folder.write("fw.lgo", firmwareText(image)), fileOp);
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Installing firmware file \"fw.lgo\"", "stop"}));
    EXPECT_GE(begun - deleted, std::chrono::milliseconds(490)) << "the old firmware needs its pause";
    EXPECT_EQ(bare.controller.progName(1), "") << "no program outlives the firmware";
    std::vector<Command> commands = bare.commands(); // the address, and the image's sum
    EXPECT_EQ(commands.size(), 6u);
    commands.erase(commands.begin() + 2, commands.end() - 1);
    EXPECT_EQ(commands, (std::vector<Command>{{0x65, 1, 3, 5, 7, 11}, {0x75, 0x1A, 0x80, 0x20, 0x78, 0}, {0xA5, 0x4C, 0x45, 0x47, 0x4F, 0xAE}}));
    EXPECT_EQ(bare.blocks(), (std::vector<Block>{{1, slice(image, 0, 100)}, {2, slice(image, 100, 100)}, {0, slice(image, 200, 50)}}));
    EXPECT_EQ(fileOp.increments, (std::vector<double>{40, 40, 20}));
    EXPECT_TRUE(bare.brick.snapshot().firmware.image == image && bare.brick.snapshot().firmware.unlocked);
    EXPECT_EQ(bare.listener.failures(), 0);
    // What the brick does wrong ends the install with its message.
    const std::tuple<std::function<void(VirtualBrick&)>, Bytes, int, const char*> failures[] = {
        {[](VirtualBrick& b) { b.answer(0x75, [](const Command&) { return Bytes{1}; }); }, image, 0x75, "Firmware download error"},
        {[](VirtualBrick& b) { b.control("refuse-blocks 11"); }, image, 0x45, "Too many download errors"},
        {[](VirtualBrick& b) { b.answer(0xA5, [](const Command&) { return Bytes(25, 0); }); }, image, 0xA5, "Firmware download error"},
    };
    for (const auto& [arrange, content, lastOpcode, message] : failures) {
        VirtualBrick failing(false);
        RecordingFileOp attempt;
        arrange(failing);
        failing.controller.sendFirmware(folder.write("fw.lgo", firmwareText(content)), attempt);
        EXPECT_EQ(attempt.events.back(), std::string("abort ") + message);
        EXPECT_EQ(failing.commands().back()[0], lastOpcode) << message;
    }
}

TEST_F(Transfer, FirmwareFileReadsDataRecordsWhereverTheyAreAndSumsTheFirst19456Bytes)
{
    std::string dos = firmwareText(imageOf(100), 0x1234);
    for (std::size_t at = dos.find('\n'); at != std::string::npos; at = dos.find('\n', at + 2))
        dos.insert(at, "\r");
    // Line ends written the other way round: each line after the first begins with its CR.
    std::string reversed = firmwareText(imageOf(100), 0x1234);
    for (std::size_t at = reversed.find('\n'); at + 1 < reversed.size(); at = reversed.find('\n', at + 2))
        reversed.insert(at + 1, "\r");
    const std::tuple<std::string, Bytes, int, int> cases[] = {
        {firmwareText(imageOf(20000)), imageOf(20000), 0x801A, 0xD78F}, {firmwareText(imageOf(65536)), imageOf(65536), 0x801A, 0xD78F},
        {dos, imageOf(100), 0x1234, 0x2EED}, {reversed, imageOf(100), 0x1234, 0x2EED},
        // Records after an S9 still count; the last S9 gives the address.
        {"S2ZZ\nS3\nS5 anything\nS7!!\nS8\nS\n" + record('1', 0, {}) + record('1', 0, {1, 2}) + record('9', 0x0100, {}) +
             record('1', 0, {3}) + record('9', 0x0200, {}), {1, 2, 3}, 0x0200, 6},
    };
    for (const auto& [text, image, start, checksum] : cases) {
        const FirmwareFile firmware = readFirmwareFile(folder.write("fw.lgo", text));
        EXPECT_EQ(std::tuple(firmware.failure, firmware.image, firmware.startAddress, firmware.checksum), std::tuple(nullptr, image, start, checksum));
    }
}

TEST_F(Transfer, MalformedFirmwareFilesAreReportedBeforeAnythingIsSent)
{
    const std::string good = record('1', 0x8000, {0x10, 0x20, 0x30}), end = record('9', 0x8000, {});
    const auto replaced = [](std::string line, std::size_t at, const std::string& text) { return line.replace(at, text.size(), text); };
    const std::pair<std::string, const char*> cases[] = {
        {"X" + good.substr(1) + end, "is not an S-Record file"}, {good + "\n" + good + end, "is not an S-Record file"},
        {"S1028000" + hexByte(~(2 + 0x80)) + "\n" + end, "has an illegal line length"},
        {replaced(good, 5, "x") + end, "has an illegal character"}, {replaced(good, 11, "Q") + end, "has an illegal character"},
        {replaced(good, 2, "07") + end, "has an illegal character"},          // a count past the line
        {record('1', 0, Bytes(128, 1)) + end, "has an illegal character"},    // longer than 255
        {replaced(good, 8, "11") + end, "has a checksum error"}, {good + replaced(end, 2, "04"), "has an illegal character"},
        {good + replaced(end, 6, "zz"), "has an illegal character"}, {firmwareText(imageOf(65537)), "is too large"},
        {good, "has no start address"}, {record('1', 0x8000, {}) + end, "contains no firmware"},
    };
    for (const auto& [text, message] : cases) {
        fileOp = {};
        brick.controller.sendFirmware(folder.write("fw.lgo", text), fileOp);
        EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Installing firmware file \"fw.lgo\"", std::string("abort File \"fw.lgo\" ") + message}));
    }
    RecordingFileOp missing;
    brick.controller.sendFirmware(folder.path("gone.lgo"), missing);
    EXPECT_EQ(missing.events.back(), "abort Can't open file \"gone.lgo\"");
    EXPECT_TRUE(brick.commands().empty());
    for (const auto& [line, value] : {std::pair{"00", 0x00}, {"ff", 0xFF}, {"FF", 0xFF}, {"9A", 0x9A}, {"aB", 0xAB}, {"0g", -1},
                                      {"G0", -1}, {"/0", -1}, {"0:", -1}, {"@0", -1}, {"`0", -1}, {"1", -1}, {" 1", -1}})
        EXPECT_EQ(readHexByte(line, 0), value) << line;
    EXPECT_EQ(readHexByte("S1137A", 4), 0x7A);
}

TEST_F(Transfer, TheDatalogIsSavedOrUploadedInBlocksOfTwentyOneLineAnEntryOrNotAtAll)
{
    controller.setDataLog(30, fileOp);
    controller.varName(1, 3) = "speed";
    controller.varName(2, 4) = "other slot";
    for (int i = 0; i < 25; ++i)
        ASSERT_TRUE(brick.brick.addDatalogEntry(i < 7 ? std::vector{3, 4, 0x20, 0x41, 0x80, 0x82, 0x62}[i] : 31, std::int16_t(i - 10)));
    brick.brick.clearHistory();
    controller.saveDatalogFile(folder.path("log.txt"), fileOp);
    const std::optional<std::vector<LogEntry>> entries = controller.uploadDatalog(fileOp);
    std::string expected = "Variable 3: speed\t-10\nVariable 4\t-9\nTimer 0\t-8\nSensor 2\t-7\nWatch \t-6\nWatch 2\t-5\nUnknown 3,2\t-4\n";
    for (int i = 7; i < 25; ++i)
        expected += "Variable 31\t" + std::to_string(i - 10) + "\n";
    EXPECT_EQ(folder.read("log.txt"), Bytes(expected.begin(), expected.end()));
    std::string uploaded;
    for (const LogEntry& entry : entries.value_or(std::vector<LogEntry>()))
        uploaded += controller.datalogLine(entry.type, entry.value);
    EXPECT_EQ(uploaded, expected) << "the upload's entries are the save's";
    const std::vector<Command> transfer = {{0xA4, 0, 0, 1, 0}, {0xA4, 1, 0, 20, 0}, {0xA4, 21, 0, 5, 0}, {0x51, 5}};
    EXPECT_EQ(brick.commands(), transfer + transfer);
    EXPECT_EQ(std::vector(fileOp.increments.begin(), fileOp.increments.begin() + 2), (std::vector<double>{20 * 100.0 / 26, 5 * 100.0 / 26}));
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Saving datalog to file \"log.txt\"", "stop", "start Uploading datalog", "stop"}));
    // A long datalog fails on a full disk while it is written: the reads end there, and no sound follows.
    controller.setDataLog(400, fileOp);
    for (int i = 0; i < 399; ++i)
        ASSERT_TRUE(brick.brick.addDatalogEntry(3, std::int16_t(i)));
    brick.brick.clearHistory();
    controller.saveDatalogFile("/dev/full", fileOp);
    const std::vector<Command> heard = brick.commands();
    EXPECT_TRUE(fileOp.events.back() == "abort Error writing file \"full\"" && heard.size() < 20 && heard.back()[0] == 0xA4) << heard.size();
    // Failures end the save with their message; a silent block gives zeros.
    int uploads = 0;
    const auto answer = [&](std::optional<Bytes> header) {
        brick.answer(0xA4, [&uploads, header](const Command&) { return ++uploads == 1 ? header : std::nullopt; });
    };
    const struct { std::function<void()> arrange; const char* path; std::string event; const char* text; } failures[] = {
        {[] {}, "no such folder/log.txt", "abort Can't open file \"log.txt\"", nullptr},
        {[&] { answer(Bytes{0xFE, 5, 0}); }, "log.txt", "abort Can't read datalog length", ""},
        {[&] { brick.port.failWrites(5); }, "log.txt", "abort Can't read datalog length", ""},
        {[&] { brick.port.failWrites(0), answer(Bytes{0xFF, 1, 0}); }, "log.txt", "stop", ""},
        {[&] { answer(Bytes{0xFF, 3, 0}); }, "log.txt", "stop", "Variable 0\t0\nVariable 0\t0\n"},
    };
    for (const auto& c : failures) {
        uploads = 0;
        c.arrange();
        controller.saveDatalogFile(folder.path(c.path), fileOp);
        EXPECT_EQ(fileOp.events.back(), c.event) << c.path;
        if (c.text) {
            EXPECT_EQ(folder.read(c.path), Bytes(c.text, c.text + std::strlen(c.text))) << c.event;
        }
    }
    EXPECT_EQ(std::pair(brick.listener.towerErrors.load(), brick.listener.timeouts.load()), std::pair(1, 1));
    uploads = 0;
    answer(Bytes{0xFE, 5, 0});
    EXPECT_FALSE(controller.uploadDatalog(fileOp));
    EXPECT_EQ(fileOp.events.back(), "abort Can't read datalog length");
}

TEST_F(Transfer, TextsAreFilledAsPrintfWouldAfterTheirLookUp)
{
    EXPECT_EQ(formatText("Can't open \"%@\" %d|%d|%d", {"a b.rcx", 0, -5, 2147483647}), "Can't open \"a b.rcx\" 0|-5|2147483647");
    EXPECT_EQ(formatText("%x %x %x %f %f %f", {255, 0, -1, 1.5, -0.25, 2}), "ff 0 ffffffff 1.500000 -0.250000 2.000000");
    EXPECT_EQ(formatText("100%% done %s %5d %", {1}), "100% done %s %5d %");
    EXPECT_EQ(formatText("%@ and %@ and %d", {"one"}), "one and  and ") << "never past the arguments";
    EXPECT_EQ(formatText("%@|%@|%d|%f|%d", {7, "x", "text", "text", 3.9}), "7|x|0|0.000000|3");
    setLocalizer([](const std::string& key) { return key == "Sensor %@\t%d\n" ? "Capteur %@ = %d\n" : key; });
    EXPECT_EQ(controller.datalogLine(0x42, 5) + controller.datalogLine(0x22, 5), "Capteur 3 = 5\nTimer 2\t5\n");
    setLocalizer({});
}

} // namespace
