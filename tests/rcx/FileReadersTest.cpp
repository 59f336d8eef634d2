#include "ScriptedBrick.h"

#include "rcx/FileReaders.h"

#include <gtest/gtest.h>

namespace {

TEST(FileReaders, ReadLittleEndianNumbers)
{
    TemporaryFolder folder;
    const OpenFile file =
        openFile(folder.write("numbers", Bytes{0x52, 0x43, 0x58, 0x49, 0x02, 0x01, 0xFF, 0x80, 0x00}), "rb");
    ASSERT_TRUE(file);
    EXPECT_EQ(read4(file.get()), 0x49584352u);
    EXPECT_EQ(read2(file.get()), 0x0102u);
    EXPECT_EQ(read1(file.get()), 0xFFu);
    EXPECT_EQ(read2(file.get()), 0x0080u);
    EXPECT_FALSE(std::feof(file.get()));
}

TEST(FileReaders, BytesPastTheEndReadAsZeroAndMarkTheEnd)
{
    TemporaryFolder folder;
    const OpenFile file = openFile(folder.write("short", Bytes{0x34, 0x12}), "rb");
    EXPECT_EQ(read4(file.get()), 0x1234u);
    EXPECT_TRUE(std::feof(file.get()));
    EXPECT_EQ(read1(file.get()), 0u);
}

TEST(FileReaders, OpenFileIsEmptyForAMissingFile)
{
    TemporaryFolder folder;
    EXPECT_FALSE(openFile(folder.path("missing"), "rb"));
    EXPECT_EQ(fileNameOf("/a/b/prog.v1.rcx"), "prog.v1.rcx");
    EXPECT_EQ(fileNameOf("prog.rcx"), "prog.rcx");
}

struct HexCase {
    const char* line;
    std::size_t position;
    int value;
};

TEST(FileReaders, ReadHexByte)
{
    const HexCase cases[] = {
        {"00", 0, 0x00},     {"ff", 0, 0xFF},      {"FF", 0, 0xFF},     {"9A", 0, 0x9A},
        {"S1137A", 4, 0x7A}, {"aB", 0, 0xAB},      {"0g", 0, -1},       {"G0", 0, -1},
        {"1", 0, -1},        {"12", 1, -1},        {"12", 2, -1},       {"12", 100, -1},
        {"1\n", 0, -1},      {" 1", 0, -1},        {"-1", 0, -1},       {"", 0, -1},
    };
    for (const HexCase& c : cases)
        EXPECT_EQ(readHexByte(c.line, c.position), c.value) << '"' << c.line << "\" at " << c.position;
}

} // namespace
