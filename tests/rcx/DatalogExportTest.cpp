#include "ScriptedBrick.h"

#include "rcx/Localization.h"

#include <gtest/gtest.h>

namespace {

struct Entry {
    std::uint8_t type;
    std::int16_t value;
};

struct LineCase {
    Entry entry;
    const char* line;
};

TEST(DatalogLine, EveryKindOfEntry)
{
    ScriptedBrick brick;
    RCXController& controller = brick.controller;
    controller.selectProgram(2);
    controller.varName(2, 3) = "speed";
    controller.varName(1, 4) = "other slot";
    const LineCase cases[] = {
        {{0x03, 120}, "Variable 3: speed\t120\n"},
        {{0x04, 7}, "Variable 4\t7\n"},
        {{0x1F, -32768}, "Variable 31\t-32768\n"},
        {{0x20, 0}, "Timer 0\t0\n"},
        {{0x23, 32767}, "Timer 3\t32767\n"},
        {{0x41, -5}, "Sensor 2\t-5\n"},
        {{0x40, 1023}, "Sensor 1\t1023\n"},
        {{0x80, 754}, "Watch \t754\n"},
        {{0x82, 1}, "Watch 2\t1\n"},
        {{0x62, 9}, "Unknown 3,2\t9\n"},
        {{0xA0, -1}, "Unknown 5,0\t-1\n"},
        {{0xC5, 2}, "Unknown 6,5\t2\n"},
        {{0xFF, 3}, "Unknown 7,31\t3\n"},
    };
    for (const LineCase& c : cases)
        EXPECT_EQ(controller.datalogLine(c.entry.type, c.entry.value), c.line) << int(c.entry.type);
}

TEST(DatalogLine, LineFormatsAreLookedUpAndLabelsAreNot)
{
    ScriptedBrick brick;
    setLocalizer([](const std::string& key) { return key == "Sensor %@\t%d\n" ? "Capteur %@ = %d\n" : key; });
    EXPECT_EQ(brick.controller.datalogLine(0x42, 5), "Capteur 3 = 5\n");
    EXPECT_EQ(brick.controller.datalogLine(0x22, 5), "Timer 2\t5\n");
    setLocalizer({});
}

// A brick whose datalog holds `entries` after its header.
void holdDatalog(ScriptedBrick& brick, std::vector<Entry> entries)
{
    entries.insert(entries.begin(), Entry{0xFF, static_cast<std::int16_t>(entries.size() + 1)});
    brick.answer(0xA4, [entries](const Command& command) {
        const std::size_t first = command[1] + 256 * command[2];
        const std::size_t count = command[3] + 256 * command[4];
        Bytes data;
        for (std::size_t i = first; i < first + count; ++i) {
            const Entry entry = i < entries.size() ? entries[i] : Entry{0, 0};
            data.push_back(entry.type);
            data.push_back(static_cast<std::uint8_t>(entry.value & 0xFF));
            data.push_back(static_cast<std::uint8_t>((entry.value >> 8) & 0xFF));
        }
        return data;
    });
}

Command upload(int first, int count)
{
    return {0xA4, static_cast<std::uint8_t>(first & 0xFF), static_cast<std::uint8_t>(first >> 8),
            static_cast<std::uint8_t>(count), 0};
}

class DatalogExport : public ::testing::Test {
protected:
    std::string text() { return textOf(folder.read("log.txt")); }
    static std::string textOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
    void save() { brick.controller.saveDatalogFile(folder.path("log.txt"), fileOp); }

    TemporaryFolder folder;
    ScriptedBrick brick;
    RecordingFileOp fileOp;
};

TEST_F(DatalogExport, UploadsInBlocksOfTwentyAndWritesEveryLine)
{
    std::vector<Entry> entries;
    std::string expected;
    for (int i = 0; i < 45; ++i) {
        entries.push_back({0x40, static_cast<std::int16_t>(i - 10)});
        expected += "Sensor 1\t" + std::to_string(i - 10) + "\n";
    }
    holdDatalog(brick, entries);
    save();
    EXPECT_EQ(brick.commands(), (std::vector<Command>{upload(0, 1), upload(1, 20), upload(21, 20), upload(41, 5),
                                                      {0x51, 5}}));
    EXPECT_EQ(text(), expected);
    EXPECT_EQ(fileOp.increments, (std::vector<double>{20 * 100.0 / 46, 20 * 100.0 / 46, 5 * 100.0 / 46}));
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Saving datalog to file \"log.txt\"", "stop"}));
}

TEST_F(DatalogExport, NamesVariablesAfterTheCurrentSlot)
{
    brick.controller.varName(1, 3) = "speed";
    holdDatalog(brick, {{0x03, 120}, {0x80, 0}, {0x03, -1}, {0x62, 4}});
    save();
    EXPECT_EQ(text(), "Variable 3: speed\t120\nWatch \t0\nVariable 3: speed\t-1\nUnknown 3,2\t4\n");
}

TEST_F(DatalogExport, AnEmptyDatalogGivesAnEmptyFile)
{
    folder.write("log.txt", std::string("old contents"));
    holdDatalog(brick, {});
    save();
    EXPECT_TRUE(folder.read("log.txt").empty());
    EXPECT_TRUE(fileOp.increments.empty());
    EXPECT_EQ(brick.commands(), (std::vector<Command>{upload(0, 1), {0x51, 5}}));
    EXPECT_EQ(fileOp.events.back(), "stop");
}

TEST_F(DatalogExport, AFileThatCannotBeCreatedIsReportedWithoutStarting)
{
    brick.controller.saveDatalogFile(folder.path("no such folder/log.txt"), fileOp);
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"abort Can't open file \"log.txt\""}));
    EXPECT_TRUE(brick.commands().empty());
}

TEST_F(DatalogExport, AHeaderOfAnotherTypeIsNoLength)
{
    brick.answer(0xA4, [](const Command&) { return Bytes{0xFE, 5, 0}; });
    save();
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Saving datalog to file \"log.txt\"",
                                                       "abort Can't read datalog length"}));
    EXPECT_EQ(brick.commands(), (std::vector<Command>{upload(0, 1)}));
    EXPECT_TRUE(folder.read("log.txt").empty());
}

TEST_F(DatalogExport, AFailedHeaderUploadIsNoLength)
{
    brick.port.failWrites(5);
    save();
    EXPECT_EQ(fileOp.events.back(), "abort Can't read datalog length");
    EXPECT_EQ(brick.listener.towerErrors, 1);
}

TEST_F(DatalogExport, AFailedBlockIsWrittenAsZeros)
{
    // The header says two entries; the brick then falls silent.
    int uploads = 0;
    brick.answer(0xA4, [&uploads](const Command&) -> std::optional<Bytes> {
        if (++uploads == 1)
            return Bytes{0xFF, 3, 0};
        return std::nullopt;
    });
    save();
    EXPECT_EQ(text(), "Variable 0\t0\nVariable 0\t0\n");
    EXPECT_EQ(brick.listener.timeouts, 1);
    EXPECT_EQ(fileOp.events.back(), "stop");
}

} // namespace
