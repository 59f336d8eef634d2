#include "ports/AllPorts.h"
#include "ports/USBPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

// A serial port with a fixed list of lines, whose open answers a chosen code.
class ListedPort : public Port {
public:
    ListedPort(int count, IOReturn openResult, int* opens = nullptr, int* closes = nullptr)
        : count(count), openResult(openResult), opens(opens), closes(closes) {}
    int findPorts() override { return count; }
    std::string portNameAtIndex(int index) override { return "line " + std::to_string(index); }
    std::string portPathAtIndex(int index) override { return "/dev/line" + std::to_string(index); }
    IOReturn openPort(const std::string& path) override
    {
        lastPath = path;
        if (opens)
            ++*opens;
        return openResult;
    }
    void closePort() override
    {
        if (closes)
            ++*closes;
    }
    bool echoes() override { return true; }
    IOReturn write(const std::uint8_t*, int) override { return 0; }
    IOReturn readByte(std::uint8_t*, ReadLimit) override { return 0; }

    int count;
    IOReturn openResult;
    int* opens;
    int* closes;
    std::string lastPath;
};

struct IndexCase {
    int index;
    const char* type;
    const char* name;
    const char* path;
};

TEST(AllPorts, BeforeTheFirstSearchEveryIndexIsTheNullPort)
{
    AllPorts ports(std::make_unique<ListedPort>(2, 0), std::make_unique<USBPort>());
    for (int index : {-1, 0, 1, 2, 3})
        EXPECT_EQ(ports.portTypeAtIndex(index), "NoPort") << index;
    EXPECT_EQ(ports.portNameAtIndex(0), "");
    EXPECT_EQ(ports.portPathAtIndex(0), "");
}

TEST(AllPorts, SerialLinesComeFirstThenTheUSBTower)
{
    AllPorts ports(std::make_unique<ListedPort>(2, 0), std::make_unique<USBPort>());
    ASSERT_EQ(ports.findPorts(), 3);
    const IndexCase cases[] = {
        {0, "Serial", "line 0", "/dev/line0"},
        {1, "Serial", "line 1", "/dev/line1"},
        {2, "USB", "USB IR Tower", "USB IR Tower"},
        {3, "NoPort", "", ""},
        {-1, "NoPort", "", ""},
    };
    for (const IndexCase& c : cases) {
        EXPECT_EQ(ports.portTypeAtIndex(c.index), c.type) << c.index;
        EXPECT_EQ(ports.portNameAtIndex(c.index), c.name) << c.index;
        EXPECT_EQ(ports.portPathAtIndex(c.index), c.path) << c.index;
    }
}

TEST(AllPorts, WithoutSerialLinesTheListStillHasTheUSBTower)
{
    AllPorts ports(std::make_unique<ListedPort>(0, 0), std::make_unique<USBPort>());
    ASSERT_EQ(ports.findPorts(), 1);
    EXPECT_EQ(ports.portTypeAtIndex(0), "USB");
    EXPECT_EQ(ports.portNameAtIndex(0), "USB IR Tower");
}

TEST(AllPorts, TheTypeIsMatchedWithoutRegardToCase)
{
    for (const char* type : {"Serial", "serial", "SERIAL", "sErIaL"}) {
        int opens = 0;
        auto serial = std::make_unique<ListedPort>(1, 0, &opens);
        ListedPort* line = serial.get();
        AllPorts ports(std::move(serial), std::make_unique<USBPort>());
        EXPECT_EQ(ports.setPort(type, "line 0", "/dev/line0"), 0) << type;
        EXPECT_EQ(opens, 1) << type;
        EXPECT_EQ(line->lastPath, "/dev/line0");
        EXPECT_TRUE(ports.echoes()) << "the serial port is current";
    }
}

TEST(AllPorts, AnyOtherTypeChoosesTheNullPort)
{
    for (const char* type : {"", "NoPort", "Parallel"}) {
        AllPorts ports;
        EXPECT_EQ(ports.setPort(type, "", ""), kIOReturnNoDevice) << type;
        EXPECT_FALSE(ports.echoes());
    }
}

TEST(AllPorts, AFailedOpenLeavesTheNullPortCurrent)
{
    AllPorts ports(std::make_unique<ListedPort>(1, ENOENT), std::make_unique<USBPort>());
    EXPECT_EQ(ports.setPort("Serial", "line 0", "/dev/missing"), ENOENT);
    EXPECT_FALSE(ports.echoes());
    StdoutCapture output;
    const std::uint8_t bytes[] = {0x10};
    EXPECT_EQ(ports.write(bytes, 1), 0);
    EXPECT_EQ(output.text(), "Writing 10\n") << "writes go to the null port";
}

TEST(AllPorts, AUSBTowerThatIsNotAttachedAnswersMinusOne)
{
    AllPorts ports;
    ports.findPorts();
    EXPECT_EQ(ports.setPort("USB", "USB IR Tower", "USB IR Tower"), -1);
    EXPECT_FALSE(ports.echoes());
}

TEST(AllPorts, ChoosingAPortClosesTheCurrentOneFirst)
{
    int opens = 0;
    int closes = 0;
    AllPorts ports(std::make_unique<ListedPort>(1, 0, &opens, &closes), std::make_unique<USBPort>());
    ASSERT_EQ(ports.setPort("Serial", "", "/dev/line0"), 0);
    EXPECT_EQ(closes, 0);
    ports.setPort("NoPort", "", "");
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(ports.echoes());
}

} // namespace
