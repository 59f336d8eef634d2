#include "ScriptedBrick.h"

#include "rcx/FirmwareFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

const Command deleteFirmware = {0x65, 0x01, 0x03, 0x05, 0x07, 0x0B};
const Command unlockFirmware = {0xA5, 0x4C, 0x45, 0x47, 0x4F, 0xAE};

std::string hexByte(int byte)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte & 0xFF);
    return text;
}

// One S-record line with a right count and checksum, without its line end.
std::string record(char type, int address, const Bytes& data)
{
    const int count = static_cast<int>(data.size()) + 3;
    int sum = count + (address >> 8) + (address & 0xFF);
    std::string line = std::string("S") + type + hexByte(count) + hexByte(address >> 8) + hexByte(address);
    for (std::uint8_t byte : data) {
        line += hexByte(byte);
        sum += byte;
    }
    return line + hexByte(~sum);
}

Bytes imageOf(int count)
{
    Bytes image;
    for (int i = 0; i < count; ++i)
        image.push_back(static_cast<std::uint8_t>(i * 13 + i / 256));
    return image;
}

// An S-record file of the image, 16 bytes a line from 0x8000, with a header
// record and an end record.
std::string firmwareText(const Bytes& image, int start = 0x801A, const std::string& lineEnd = "\n")
{
    std::string text = record('0', 0, {'f', 'w'}) + lineEnd;
    for (std::size_t offset = 0; offset < image.size(); offset += 16) {
        const std::size_t length = std::min<std::size_t>(16, image.size() - offset);
        text += record('1', static_cast<int>(0x8000 + offset), Bytes(image.begin() + offset, image.begin() + offset + length)) + lineEnd;
    }
    return text + record('9', start, {}) + lineEnd;
}

int sumOf(const Bytes& image, std::size_t count)
{
    int sum = 0;
    for (std::size_t i = 0; i < std::min(count, image.size()); ++i)
        sum += image[i];
    return sum;
}

Command beginCommand(int address, int checksum)
{
    return {0x75, static_cast<std::uint8_t>(address & 0xFF), static_cast<std::uint8_t>(address >> 8),
            static_cast<std::uint8_t>(checksum & 0xFF), static_cast<std::uint8_t>((checksum >> 8) & 0xFF), 0};
}

class FirmwareDownload : public ::testing::Test {
protected:
    void install(const std::string& text, const std::string& name = "fw.lgo")
    {
        brick.controller.sendFirmware(folder.write(name, text), fileOp);
    }

    // The image as the brick received it, blocks joined.
    Bytes imageSent()
    {
        Bytes image;
        for (const Block& block : brick.blocks())
            image.insert(image.end(), block.data.begin(), block.data.end());
        return image;
    }

    TemporaryFolder folder;
    ScriptedBrick brick;
    RecordingFileOp fileOp;
};

TEST_F(FirmwareDownload, DeletesPausesAnnouncesSendsAndUnlocks)
{
    const Bytes image = imageOf(250);
    Clock::time_point deleted, begun;
    brick.answer(0x65, [&deleted](const Command&) {
        deleted = Clock::now();
        return std::nullopt;
    });
    brick.answer(0x75, [&begun](const Command&) {
        begun = Clock::now();
        return Bytes{0};
    });
    install(firmwareText(image));

    std::vector<Command> expected = {deleteFirmware, beginCommand(0x801A, sumOf(image, 250))};
    const std::vector<Command> commands = brick.commands();
    ASSERT_EQ(commands.size(), 6u);
    EXPECT_EQ(commands[0], expected[0]);
    EXPECT_EQ(commands[1], expected[1]);
    EXPECT_EQ(brick.blocks(), (std::vector<Block>{{1, Bytes(image.begin(), image.begin() + 100)},
                                                   {2, Bytes(image.begin() + 100, image.begin() + 200)},
                                                   {0, Bytes(image.begin() + 200, image.end())}}));
    EXPECT_EQ(commands[5], unlockFirmware);
    EXPECT_EQ(fileOp.increments, (std::vector<double>{40, 40, 20}));
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Installing firmware file \"fw.lgo\"", "stop"}));
    EXPECT_GE(begun - deleted, std::chrono::milliseconds(490)) << "the old firmware needs its pause";
    EXPECT_EQ(brick.listener.timeouts + brick.listener.towerErrors, 0);
}

TEST(FirmwareFile, LineEndsMayBeLineFeedsOrCarriageReturnLineFeeds)
{
    TemporaryFolder folder;
    const Bytes image = imageOf(100);
    const FirmwareFile unix = readFirmwareFile(folder.write("lf.lgo", firmwareText(image, 0x1234, "\n")));
    const FirmwareFile dos = readFirmwareFile(folder.write("crlf.lgo", firmwareText(image, 0x1234, "\r\n")));
    EXPECT_EQ(unix.failure, nullptr);
    EXPECT_EQ(dos.failure, nullptr);
    EXPECT_EQ(unix.image, image);
    EXPECT_EQ(dos.image, image);
    EXPECT_EQ(dos.startAddress, 0x1234);
    EXPECT_EQ(dos.checksum, sumOf(image, 100));
}

TEST(FirmwareFile, ChecksumCoversOnlyTheFirst19456Bytes)
{
    TemporaryFolder folder;
    const Bytes image = imageOf(20000);
    const FirmwareFile firmware = readFirmwareFile(folder.write("big.lgo", firmwareText(image)));
    EXPECT_EQ(firmware.image, image);
    EXPECT_EQ(firmware.checksum, sumOf(image, 19456) & 0xFFFF);
    EXPECT_NE(firmware.checksum, sumOf(image, 20000) & 0xFFFF);
}

TEST(FirmwareFile, OtherRecordsAreSkippedAndEmptyDataRecordsChecked)
{
    TemporaryFolder folder;
    const std::string others = "S2ZZ\nS3\nS5 anything\nS7!!\nS8\nS\n";
    const std::string text = others + record('1', 0, {}) + "\n" + record('1', 0, {1, 2}) + "\n" +
                             record('9', 0x0100, {}) + "\n" + record('1', 0, {3}) + "\n" + record('9', 0x0200, {}) + "\n";
    const FirmwareFile firmware = readFirmwareFile(folder.write("mixed.lgo", text));
    EXPECT_EQ(firmware.failure, nullptr);
    EXPECT_EQ(firmware.image, (Bytes{1, 2, 3})) << "records after an S9 still count";
    EXPECT_EQ(firmware.startAddress, 0x0200) << "the last S9 gives the address";

    std::string badEmpty = record('1', 0, {});
    badEmpty.back() = badEmpty.back() == '0' ? '1' : '0';
    EXPECT_STREQ(readFirmwareFile(folder.write("empty.lgo", badEmpty + "\n" + record('9', 0, {}))).failure,
                 "File \"%@\" has a checksum error");
}

TEST(FirmwareFile, AFullImageFitsAndOneByteMoreIsTooLarge)
{
    TemporaryFolder folder;
    const FirmwareFile full = readFirmwareFile(folder.write("full.lgo", firmwareText(imageOf(65536))));
    EXPECT_EQ(full.failure, nullptr);
    EXPECT_EQ(full.image.size(), 65536u);
    const FirmwareFile over = readFirmwareFile(folder.write("over.lgo", firmwareText(imageOf(65537))));
    EXPECT_STREQ(over.failure, "File \"%@\" is too large");
}

TEST_F(FirmwareDownload, ARefusedBeginStopsBeforeTheImage)
{
    brick.answer(0x75, [](const Command&) { return Bytes{1}; });
    install(firmwareText(imageOf(20)));
    EXPECT_EQ(brick.opcodes(), (std::vector<int>{0x65, 0x75}));
    EXPECT_EQ(fileOp.events.back(), "abort Firmware download error");
}

TEST_F(FirmwareDownload, TheTenthRefusedBlockEndsTheDownload)
{
    int accepted = 1;
    brick.answer(0x45, [&accepted](const Command&) { return Bytes{static_cast<std::uint8_t>(accepted-- > 0 ? 0 : 2)}; });
    const Bytes image = imageOf(150);
    install(firmwareText(image));
    const std::vector<Block> blocks = brick.blocks();
    ASSERT_EQ(blocks.size(), 11u);
    EXPECT_EQ(blocks[0], (Block{1, Bytes(image.begin(), image.begin() + 100)}));
    for (std::size_t i = 1; i < blocks.size(); ++i)
        EXPECT_EQ(blocks[i], (Block{0, Bytes(image.begin() + 100, image.end())}));
    EXPECT_EQ(brick.opcodes().back(), 0x45) << "no unlock";
    EXPECT_EQ(fileOp.events.back(), "abort Too many download errors");
    EXPECT_EQ(fileOp.increments, (std::vector<double>{100.0 * 100 / 150}));
}

TEST_F(FirmwareDownload, AnUnlockTheBrickDoesNotAnswerIsAFailure)
{
    const std::optional<Bytes> answers[] = {std::nullopt, Bytes(25, 0)};
    for (const std::optional<Bytes>& answer : answers) {
        RecordingFileOp attempt;
        brick.answer(0xA5, [&answer](const Command&) { return answer; });
        brick.controller.sendFirmware(folder.write("fw.lgo", firmwareText(imageOf(20))), attempt);
        EXPECT_EQ(attempt.events.back(), "abort Firmware download error");
    }
}

// Malformed firmware files: each is reported and leaves the brick untouched.
struct MalformedCase {
    const char* name;
    std::function<std::string()> text;
    const char* message;
};

const std::string goodLine = record('1', 0x8000, {0x10, 0x20, 0x30});
const std::string endLine = record('9', 0x8000, {});

std::string withEnd(const std::string& lines)
{
    return lines + endLine + "\n";
}

std::string replaced(std::string line, std::size_t position, const std::string& text)
{
    return line.replace(position, text.size(), text);
}

const MalformedCase malformedCases[] = {
    {"MissingS", [] { return withEnd("X" + goodLine.substr(1) + "\n"); },
     "File \"fw.lgo\" is not an S-Record file"},
    {"BlankLine", [] { return withEnd(goodLine + "\n\n" + goodLine + "\n"); },
     "File \"fw.lgo\" is not an S-Record file"},
    {"LeadingSpace", [] { return withEnd(" " + goodLine + "\n"); }, "File \"fw.lgo\" is not an S-Record file"},
    {"NonHexCount", [] { return withEnd(replaced(goodLine, 2, "0G") + "\n"); },
     "File \"fw.lgo\" has an illegal line length"},
    {"ShortCount", [] { return withEnd("S1028000" + hexByte(~(2 + 0x80)) + "\n"); },
     "File \"fw.lgo\" has an illegal line length"},
    {"NonHexAddress", [] { return withEnd(replaced(goodLine, 5, "x") + "\n"); },
     "File \"fw.lgo\" has an illegal character"},
    {"NonHexData", [] { return withEnd(replaced(goodLine, 11, "Q") + "\n"); },
     "File \"fw.lgo\" has an illegal character"},
    {"NonHexChecksum", [] { return withEnd(replaced(goodLine, goodLine.size() - 2, "-1") + "\n"); },
     "File \"fw.lgo\" has an illegal character"},
    {"CountPastTheLine", [] { return withEnd(replaced(goodLine, 2, "07") + "\n"); },
     "File \"fw.lgo\" has an illegal character"},
    {"LineLongerThan255", [] { return withEnd(record('1', 0, imageOf(128)) + "\n"); },
     "File \"fw.lgo\" has an illegal character"},
    {"BadChecksum", [] { return withEnd(replaced(goodLine, 8, "11") + "\n"); },
     "File \"fw.lgo\" has a checksum error"},
    {"BadChecksumInTheLastLine", [] { return withEnd(goodLine + "\n") + replaced(goodLine, 8, "11") + "\n"; },
     "File \"fw.lgo\" has a checksum error"},
    {"S9CountNotThree", [] { return goodLine + "\n" + replaced(endLine, 2, "04") + "\n"; },
     "File \"fw.lgo\" has an illegal character"},
    {"S9NonHexAddress", [] { return goodLine + "\n" + replaced(endLine, 6, "zz") + "\n"; },
     "File \"fw.lgo\" has an illegal character"},
    {"TooLarge", [] { return firmwareText(imageOf(65536 + 16)); }, "File \"fw.lgo\" is too large"},
    {"NoS9", [] { return goodLine + "\n"; }, "File \"fw.lgo\" has no start address"},
    {"Empty", [] { return std::string(); }, "File \"fw.lgo\" has no start address"},
    {"NoData", [] { return withEnd(record('1', 0x8000, {}) + "\n"); }, "File \"fw.lgo\" contains no firmware"},
};

class MalformedFirmware : public FirmwareDownload, public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedFirmware, IsReportedBeforeAnythingIsSent)
{
    ASSERT_EQ(readFirmwareFile(folder.write("good.lgo", withEnd(goodLine + "\n"))).failure, nullptr);
    install(GetParam().text());
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Installing firmware file \"fw.lgo\"",
                                                       std::string("abort ") + GetParam().message}));
    EXPECT_TRUE(brick.commands().empty());
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedFirmware, ::testing::ValuesIn(malformedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FirmwareDownload, AMissingFileCannotBeOpened)
{
    brick.controller.sendFirmware(folder.path("gone.lgo"), fileOp);
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Installing firmware file \"gone.lgo\"",
                                                       "abort Can't open file \"gone.lgo\""}));
    EXPECT_TRUE(brick.commands().empty());
}

} // namespace
