#include "ProgramFiles.h"
#include "ScriptedBrick.h"

#include <gtest/gtest.h>

namespace {

const Command stopAll = {0x50};
const Command deleteTasks = {0x40};
const Command deleteSubs = {0x70};
const Command sound = {0x51, 5};

Command beginTask(int number, int length)
{
    return {0x25, 0, static_cast<std::uint8_t>(number), 0, static_cast<std::uint8_t>(length & 0xFF),
            static_cast<std::uint8_t>(length >> 8)};
}

Command beginSub(int number, int length)
{
    Command command = beginTask(number, length);
    command[0] = 0x35;
    return command;
}

// The command of a download block as the brick receives it.
Command blockCommand(int index, const Bytes& data)
{
    Command command = {0x45, static_cast<std::uint8_t>(index & 0xFF), static_cast<std::uint8_t>(index >> 8),
                       static_cast<std::uint8_t>(data.size() & 0xFF), static_cast<std::uint8_t>(data.size() >> 8)};
    command.insert(command.end(), data.begin(), data.end());
    std::uint8_t sum = 0;
    for (std::uint8_t byte : data)
        sum = static_cast<std::uint8_t>(sum + byte);
    command.push_back(sum);
    return command;
}

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t count)
{
    return Bytes(bytes.begin() + from, bytes.begin() + from + count);
}

class ProgramDownload : public ::testing::Test {
protected:
    int download(const ProgramFile& program, const std::string& name = "prog.rcx")
    {
        return brick.controller.sendProgFile(folder.write(name, program.bytes()), fileOp);
    }
    int download(const Bytes& bytes, const std::string& name = "prog.rcx")
    {
        return brick.controller.sendProgFile(folder.write(name, bytes), fileOp);
    }

    TemporaryFolder folder;
    ScriptedBrick brick;
    RecordingFileOp fileOp;
};

TEST_F(ProgramDownload, SendsTheWholeProgramInOrder)
{
    const Bytes task = codeOf(45, 1);
    const Bytes sub = codeOf(20, 2);
    ASSERT_EQ(download(ProgramFile{.fragments = {{0, 3, task}, {1, 7, sub}}}), 0);
    EXPECT_EQ(brick.commands(), (std::vector<Command>{
                                    stopAll, deleteTasks, deleteSubs, beginTask(3, 45),
                                    blockCommand(1, slice(task, 0, 20)), blockCommand(2, slice(task, 20, 20)),
                                    blockCommand(0, slice(task, 40, 5)), beginSub(7, 20), blockCommand(0, sub),
                                    sound}));
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Downloading file \"prog.rcx\"", "stop"}));
    EXPECT_EQ(brick.listener.timeouts + brick.listener.towerErrors, 0);
}

TEST_F(ProgramDownload, BlocksFollowTheFragmentLength)
{
    const Bytes first = codeOf(44, 1);
    const Bytes second = codeOf(300, 2);
    const Bytes empty;
    ASSERT_EQ(download(ProgramFile{.fragments = {{0, 0, first}, {0, 1, empty}, {0, 2, second}}}), 0);
    std::vector<Block> expected = {{1, slice(first, 0, 20)}, {2, slice(first, 20, 20)}, {0, slice(first, 40, 4)}};
    for (int i = 0; i < 14; ++i)
        expected.push_back({i + 1, slice(second, 20 * i, 20)});
    expected.push_back({0, slice(second, 280, 20)});
    EXPECT_EQ(brick.blocks(), expected);
    EXPECT_EQ(brick.commands()[7], beginTask(1, 0)) << "an empty fragment: its begin, no block";
    EXPECT_EQ(brick.commands()[8], beginTask(2, 300));
}

TEST_F(ProgramDownload, ProgressAddsUpToOneHundred)
{
    ASSERT_EQ(download(ProgramFile{.fragments = {{0, 0, codeOf(40)}, {1, 0, codeOf(10)}}}), 0);
    EXPECT_EQ(fileOp.increments, (std::vector<double>{25, 25, 50}));
}

TEST_F(ProgramDownload, ARefusedBlockIsSentAgainWithItsIndex)
{
    int refusals = 2;
    brick.answer(0x45, [&refusals](const Command&) { return Bytes{static_cast<std::uint8_t>(refusals-- > 0)}; });
    const Bytes code = codeOf(30);
    ASSERT_EQ(download(ProgramFile{.fragments = {{0, 0, code}}}), 0);
    const Block first = {1, slice(code, 0, 20)};
    EXPECT_EQ(brick.blocks(), (std::vector<Block>{first, first, first, {0, slice(code, 20, 10)}}));
    EXPECT_EQ(fileOp.increments.size(), 2u) << "refused blocks do not advance";
}

TEST_F(ProgramDownload, TheTenthRefusalEndsTheDownload)
{
    brick.answer(0x45, [](const Command&) { return Bytes{3}; });
    const Bytes code = codeOf(30);
    EXPECT_EQ(download(ProgramFile{.fragments = {{0, 0, code}}, .symbols = {{2, 0, "speed"}}}),
              RCXController::progFileFailed);
    EXPECT_EQ(brick.blocks(), std::vector<Block>(10, Block{1, slice(code, 0, 20)}));
    EXPECT_EQ(brick.controller.progName(1), "prog") << "the slot no longer holds its old program";
    EXPECT_EQ(brick.controller.varName(1, 0), "") << "the symbols name a whole program only";
    EXPECT_EQ(brick.opcodes().back(), 0x45) << "no sound after a failure";
    EXPECT_EQ(fileOp.events.back(), "abort Too many download errors");
    EXPECT_TRUE(fileOp.increments.empty());
}

TEST_F(ProgramDownload, RefusalsAreCountedPerBlock)
{
    // Every block is refused nine times before it goes through: 27 refusals
    // in one fragment, none of them the tenth of its block.
    int sent = 0;
    brick.answer(0x45, [&sent](const Command&) { return Bytes{static_cast<std::uint8_t>(++sent % 10 != 0)}; });
    EXPECT_EQ(download(ProgramFile{.fragments = {{0, 0, codeOf(50)}}}), 0);
    EXPECT_EQ(brick.blocks().size(), 30u);
    EXPECT_EQ(fileOp.events.back(), "stop");
}

TEST_F(ProgramDownload, AFailedExchangeCountsAsOneError)
{
    int silent = RCXSender::attempts;
    brick.answer(0x45, [&silent](const Command&) -> std::optional<Bytes> {
        if (silent-- > 0)
            return std::nullopt;
        return Bytes{0};
    });
    EXPECT_EQ(download(ProgramFile{.fragments = {{0, 0, codeOf(8)}}}), 0);
    EXPECT_EQ(brick.blocks().size(), 4u) << "three attempts, then the block again";
    EXPECT_EQ(brick.listener.timeouts, 1);
}

struct BeginCase {
    std::uint8_t status;
    const char* event;
};

TEST_F(ProgramDownload, TheBeginStatusDecides)
{
    const BeginCase cases[] = {
        {1, "abort RCX memory full"},
        {2, "abort File \"prog.rcx\" contains an illegal task number"},
        {3, "stop"},
    };
    for (const BeginCase& c : cases) {
        brick.clearCommands();
        fileOp.events.clear();
        brick.answer(0x35, [&c](const Command&) { return Bytes{c.status}; });
        download(ProgramFile{.fragments = {{0, 0, codeOf(4)}, {1, 0, codeOf(4)}, {0, 1, codeOf(4)}}});
        EXPECT_EQ(fileOp.events.back(), c.event);
        EXPECT_EQ(brick.blocks().size(), c.status == 3 ? 3u : 1u) << "nothing after the refused begin";
    }
}

TEST_F(ProgramDownload, NamesComeFromTheSymbols)
{
    brick.controller.selectProgram(2);
    brick.controller.taskName(2, 4) = "old task";
    brick.controller.varName(2, 3) = "old variable";
    brick.controller.varName(1, 3) = "other slot";
    std::string& variable = brick.controller.varName(2, 3);
    const ProgramFile program{.fragments = {{0, 0, codeOf(4)}},
                              .symbols = {{0, 0, "main"},
                                          {0, 9, "last"},
                                          {0, 12, "dropped"},
                                          {1, 7, "helper"},
                                          {1, 8, "dropped"},
                                          {2, 3, "speed"},
                                          {2, 3, "count"},
                                          {2, 31, "top"},
                                          {2, 32, "dropped"},
                                          {3, 0, "dropped"}}};
    ASSERT_EQ(download(program, "My Robot.v2.rcx"), 0);
    RCXController& controller = brick.controller;
    EXPECT_EQ(controller.progName(2), "My Robot.v2");
    EXPECT_EQ(controller.taskName(2, 1), "main");
    EXPECT_EQ(controller.taskName(2, 10), "last");
    EXPECT_EQ(controller.taskName(2, 4), "");
    EXPECT_EQ(controller.subName(2, 8), "helper");
    EXPECT_EQ(variable, "speed, count") << "the same string, changed in place";
    EXPECT_EQ(controller.varName(2, 31), "top");
    EXPECT_EQ(controller.varName(1, 3), "other slot");
    EXPECT_EQ(controller.progName(1), "");
}

TEST_F(ProgramDownload, ANameOfLengthZeroHasNoBytes)
{
    Bytes file = ProgramFile{.symbols = {{2, 0, "x"}}}.bytes();
    // A first record without a name, then the named one.
    const Bytes nameless = {2, 1, 0, 0};
    file.insert(file.begin() + 12, nameless.begin(), nameless.end());
    file[8] = 2;
    ASSERT_EQ(download(file), 0);
    EXPECT_EQ(brick.controller.varName(1, 0), "x");
    EXPECT_EQ(brick.controller.varName(1, 1), "");
}

TEST_F(ProgramDownload, VersionAndTargetLimits)
{
    struct Case {
        int version;
        int targetType;
        RCXController::ProgFileResult result;
    };
    for (const Case c : {Case{0x0102, 0, RCXController::progFileDownloaded},
                         Case{0x0000, 3, RCXController::progFileDownloaded},
                         Case{0x0103, 0, RCXController::progFileRefused}, Case{0x0102, 1, RCXController::progFileRefused},
                         Case{0x0102, 2, RCXController::progFileRefused}, Case{0x0102, 4, RCXController::progFileRefused}})
        EXPECT_EQ(download(ProgramFile{.version = c.version, .targetType = c.targetType}), c.result)
            << c.version << " " << c.targetType;
}

// A malformed file: what it is made of and what is reported. It is read
// whole before anything is sent, so the brick hears nothing and the slot
// keeps its names.
struct MalformedCase {
    const char* name;
    std::function<Bytes()> file;
    const char* message;
};

const Bytes taskCode = codeOf(6);
const ProgramFile good{.fragments = {{0, 1, taskCode}}, .symbols = {{2, 0, "speed"}}};

Bytes changed(std::size_t offset, std::uint8_t value)
{
    Bytes file = good.bytes();
    file[offset] = value;
    return file;
}

Bytes firstBytes(std::size_t count)
{
    const Bytes file = good.bytes();
    return Bytes(file.begin(), file.begin() + static_cast<long>(count));
}

const MalformedCase malformedCases[] = {
    {"Signature", [] { return changed(3, 'J'); }, "File \"bad.rcx\" has the wrong file signature"},
    {"Version", [] { return changed(4, 0x03); }, "File \"bad.rcx\" has an unsupported file version number"},
    {"Target", [] { return changed(10, 1); }, "File \"bad.rcx\" is not compiled for the RCX"},
    {"Empty", [] { return Bytes{}; }, "Error reading file \"bad.rcx\""},
    {"ShortHeader", [] { return firstBytes(11); }, "Error reading file \"bad.rcx\""},
    {"FragmentType", [] { return changed(12, 2); }, "File \"bad.rcx\" contains an unknown fragment type"},
    {"ShortFragmentHead", [] { return firstBytes(15); }, "Error reading file \"bad.rcx\""},
    {"FragmentLongerThanTheFile", [] { return changed(14, 0x40); }, "Error reading file \"bad.rcx\""},
    {"ShortCode", [] { return firstBytes(20); }, "Error reading file \"bad.rcx\""},
    {"ShortPadding", [] { return firstBytes(23); }, "Error reading file \"bad.rcx\""},
    {"ShortSymbolHead", [] { return firstBytes(26); }, "Error reading file \"bad.rcx\""},
    {"ShortName", [] { return firstBytes(31); }, "Error reading file \"bad.rcx\""},
    {"NameLengthTooLong", [] { return changed(26, 8); }, "Error reading file \"bad.rcx\""},
    {"NameLengthTooShort", [] { return changed(26, 5); }, "Error reading file \"bad.rcx\""},
};

class MalformedProgram : public ProgramDownload, public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedProgram, IsRefusedBeforeAnythingIsSent)
{
    ASSERT_EQ(good.bytes().size(), 34u) << "the offsets above assume this layout";
    brick.controller.progName(1) = "robot";
    brick.controller.varName(1, 0) = "level";
    EXPECT_EQ(download(GetParam().file(), "bad.rcx"), RCXController::progFileRefused);
    EXPECT_EQ(fileOp.events,
              (std::vector<std::string>{"start Downloading file \"bad.rcx\"", std::string("abort ") + GetParam().message}));
    EXPECT_TRUE(brick.commands().empty());
    EXPECT_EQ(brick.controller.progName(1), "robot");
    EXPECT_EQ(brick.controller.varName(1, 0), "level");
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedProgram, ::testing::ValuesIn(malformedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramDownload, AMissingFileCannotBeOpened)
{
    EXPECT_EQ(brick.controller.sendProgFile(folder.path("none.rcx"), fileOp), RCXController::progFileRefused);
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Downloading file \"none.rcx\"",
                                                       "abort Can't open file \"none.rcx\""}));
    EXPECT_TRUE(brick.commands().empty());
}

} // namespace
