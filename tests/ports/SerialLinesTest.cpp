#include "ports/AllPorts.h"
#include "ports/SerialLines.h"
#include "ports/SerialPort.h"
#include "ports/USBPort.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(TowerLineSettings, MakeARawOddParityLineAndKeepTheOtherControlFlags)
{
    termios current = {};
    current.c_lflag = ECHO | ICANON | ISIG | IEXTEN | ECHOE;
    current.c_iflag = BRKINT | INPCK | ISTRIP | ICRNL | IXON | IXOFF | IMAXBEL | IGNPAR;
    current.c_oflag = OPOST | ONLCR;
    current.c_cflag = CS7 | CSTOPB | CREAD | CRTSCTS | HUPCL; // flow control left by another program
    current.c_cc[VMIN] = 0;
    current.c_cc[VTIME] = 5;
    current.c_cc[VINTR] = 3;

    const termios settings = towerLineSettings(current);
    EXPECT_EQ(settings.c_lflag, static_cast<tcflag_t>(ECHOE));
    EXPECT_EQ(settings.c_iflag, static_cast<tcflag_t>(IGNPAR));
    EXPECT_EQ(settings.c_oflag, static_cast<tcflag_t>(ONLCR));
    EXPECT_EQ(settings.c_cflag, static_cast<tcflag_t>(CS8 | PARENB | PARODD | CREAD | CLOCAL | HUPCL));
    EXPECT_EQ(settings.c_cc[VMIN], 1);
    EXPECT_EQ(settings.c_cc[VTIME], 0);
    EXPECT_EQ(settings.c_cc[VINTR], 3);
}

TEST(SerialLineName, NamesTheDeviceAndItsAdapter)
{
    struct Case {
        const char* vendor;
        const char* model;
        const char* name;
    };
    const Case cases[] = {
        {"", "", "ttyS0"},
        {"Prolific Technology, Inc.", "PL2303 Serial Port", "ttyS0 (Prolific Technology, Inc. PL2303 Serial Port)"},
        {"", "FT232R_USB_UART", "ttyS0 (FT232R USB UART)"},
        {"FTDI", "", "ttyS0 (FTDI)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(serialLineName("ttyS0", c.vendor, c.model), c.name) << c.vendor << "/" << c.model;
}

// A temporary $XDG_RUNTIME_DIR with a towers folder.
class AnnouncedTowers : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/infrabrick-runtime-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        runtime = name;
        towers = runtime / "infrabrick" / "towers";
        fs::create_directories(towers);
        const char* previous = std::getenv("XDG_RUNTIME_DIR");
        if (previous)
            savedRuntime = previous;
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    void TearDown() override
    {
        if (savedRuntime.empty())
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
        fs::remove_all(runtime);
    }
    // A tower named `name` whose link points at a file that exists or not.
    void announce(const std::string& name, bool targetExists = true)
    {
        const fs::path target = runtime / ("pty-" + name);
        if (targetExists)
            std::ofstream(target).put('\n');
        fs::create_symlink(target, towers / name);
    }

    fs::path runtime;
    fs::path towers;
    std::string savedRuntime;
};

TEST_F(AnnouncedTowers, AreListedByNameWithoutTheStaleOnes)
{
    announce("Virtual brick 2");
    announce("Gone brick", false);
    announce("Virtual brick 1");
    // Not a link: not an announcement.
    std::ofstream(towers / "notes.txt").put('\n');

    const std::vector<SerialLine> expected = {
        {"Virtual brick 1", (towers / "Virtual brick 1").string()},
        {"Virtual brick 2", (towers / "Virtual brick 2").string()},
    };
    EXPECT_EQ(announcedTowers(towers), expected);
    ASSERT_TRUE(announcedTowersFolder().has_value());
    EXPECT_EQ(*announcedTowersFolder(), towers);
}

TEST_F(AnnouncedTowers, ComeAfterTheSerialLinesAndBeforeTheUSBTower)
{
    announce("B brick");
    announce("A brick");
    AllPorts ports;
    const int count = ports.findPorts();
    ASSERT_GE(count, 3);
    const struct {
        int index;
        const char* type;
        std::string name;
        std::string path;
    } tail[] = {
        {count - 3, "Serial", "A brick", (towers / "A brick").string()},
        {count - 2, "Serial", "B brick", (towers / "B brick").string()},
        {count - 1, "USB", USBPort::towerName, USBPort::towerName},
    };
    for (const auto& entry : tail) {
        EXPECT_EQ(ports.portTypeAtIndex(entry.index), entry.type) << entry.index;
        EXPECT_EQ(ports.portNameAtIndex(entry.index), entry.name) << entry.index;
        EXPECT_EQ(ports.portPathAtIndex(entry.index), entry.path) << entry.index;
    }
    // The serial lines before them are the machine's own, under /dev.
    for (int index = 0; index < count - 3; ++index)
        EXPECT_EQ(ports.portPathAtIndex(index).rfind("/dev/", 0), 0u) << ports.portPathAtIndex(index);
    // Listing again gives the same list.
    EXPECT_EQ(ports.findPorts(), count);
    EXPECT_EQ(ports.portNameAtIndex(count - 3), "A brick");
}

TEST_F(AnnouncedTowers, NoFolderMeansNoAnnouncedTower)
{
    fs::remove_all(runtime / "infrabrick");
    EXPECT_TRUE(announcedTowers(towers).empty());
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_FALSE(announcedTowersFolder().has_value());
}

} // namespace
