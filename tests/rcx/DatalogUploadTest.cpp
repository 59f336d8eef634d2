// The datalog uploaded into memory: the same transfer as a save, the entries
// instead of the lines.
#include "VirtualBrick.h"

#include <gtest/gtest.h>

namespace {

Command upload(int first, int count)
{
    return {0xA4, static_cast<std::uint8_t>(first), 0, static_cast<std::uint8_t>(count), 0};
}

TEST(DatalogUpload, GivesTheEntriesThatASaveWrites)
{
    VirtualBrick brick;
    RecordingFileOp setUp;
    brick.controller.setDataLog(50, setUp);
    std::vector<LogEntry> logged;
    for (int i = 0; i < 45; ++i) {
        logged.push_back({i % 3 == 0 ? 0x41 : 0x80 + i % 2, (i - 10) * 300});
        ASSERT_TRUE(brick.brick.addDatalogEntry(static_cast<std::uint8_t>(logged.back().type),
                                                static_cast<std::int16_t>(logged.back().value)));
    }
    brick.brick.clearHistory();

    RecordingFileOp fileOp;
    const std::optional<std::vector<LogEntry>> entries = brick.controller.uploadDatalog(fileOp);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), logged.size());
    for (std::size_t i = 0; i < logged.size(); ++i) {
        EXPECT_EQ((*entries)[i].type, logged[i].type) << i;
        EXPECT_EQ((*entries)[i].value, logged[i].value) << i;
    }
    EXPECT_EQ(brick.commands(), (std::vector<Command>{upload(0, 1), upload(1, 20), upload(21, 20), upload(41, 5),
                                                      {0x51, 5}}));
    EXPECT_EQ(fileOp.increments, (std::vector<double>{20 * 100.0 / 46, 20 * 100.0 / 46, 5 * 100.0 / 46}));
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Uploading datalog", "stop"}));

    TemporaryFolder folder;
    brick.controller.saveDatalogFile(folder.path("log.txt"), fileOp);
    std::string lines;
    for (const LogEntry& entry : *entries)
        lines += brick.controller.datalogLine(entry.type, entry.value);
    const Bytes saved = folder.read("log.txt");
    EXPECT_EQ(std::string(saved.begin(), saved.end()), lines);
}

TEST(DatalogUpload, AHeaderOfAnotherTypeGivesNoEntries)
{
    ScriptedBrick brick;
    brick.answer(0xA4, [](const Command&) { return Bytes{0xFE, 5, 0}; });
    RecordingFileOp fileOp;
    EXPECT_FALSE(brick.controller.uploadDatalog(fileOp));
    EXPECT_EQ(fileOp.events,
              (std::vector<std::string>{"start Uploading datalog", "abort Can't read datalog length"}));
    EXPECT_EQ(brick.commands(), (std::vector<Command>{upload(0, 1)}));
}

} // namespace
