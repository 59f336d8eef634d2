// The port list, the null port, the serial line's settings and names, and
// the USB tower port on a fake device.
#include "ports/AllPorts.h"
#include "ports/NoPort.h"
#include "ports/SerialLines.h"
#include "ports/SerialPort.h"
#include "ports/USBPort.h"
#include "support/Recording.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <libusb.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <fstream>
#include <future>
#include <map>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A serial port with `count` lines whose open answers `openResult`.
struct ListedPort : Port {
    ListedPort(int count, IOReturn openResult) : count(count), openResult(openResult) {}
    int findPorts() override { return count; }
    std::string portNameAtIndex(int index) override { return "line " + std::to_string(index); }
    std::string portPathAtIndex(int index) override { return "/dev/line" + std::to_string(index); }
    IOReturn openPort(const std::string& path) override { return opened.push_back(path), openResult; }
    void closePort() override { ++closes; }
    bool echoes() override { return true; }
    IOReturn write(const std::uint8_t*, int) override { return 0; }
    IOReturn readByte(std::uint8_t*, ReadLimit) override { return 0; }

    int count;
    IOReturn openResult;
    std::vector<std::string> opened;
    int closes = 0;
};

TEST(AllPorts, ListSerialLinesThenTheUSBTowerAndTheNullPortElsewhere)
{
    for (int lines : {2, 0}) {
        AllPorts ports(std::make_unique<ListedPort>(lines, 0), std::make_unique<USBPort>());
        EXPECT_EQ(ports.portTypeAtIndex(0), "NoPort") << "before the first search";
        ASSERT_EQ(ports.findPorts(), lines + 1);
        for (int index = -1; index <= lines + 1; ++index) {
            const bool serial = index >= 0 && index < lines;
            const bool usb = index == lines;
            EXPECT_EQ(ports.portTypeAtIndex(index), serial ? "Serial" : usb ? "USB" : "NoPort") << index;
            const std::string name = serial ? "line " + std::to_string(index) : usb ? "USB IR Tower" : "";
            EXPECT_EQ(ports.portNameAtIndex(index), name) << index;
            EXPECT_EQ(ports.portPathAtIndex(index), serial ? "/dev/line" + std::to_string(index) : name) << index;
        }
    }
}

TEST(AllPorts, OpenTheChosenTypeAfterClosingTheCurrentPort)
{
    for (const char* type : {"Serial", "serial", "sErIaL"}) {
        auto serial = std::make_unique<ListedPort>(1, 0);
        ListedPort& line = *serial;
        AllPorts ports(std::move(serial), std::make_unique<USBPort>());
        EXPECT_EQ(ports.setPort(type, "line 0", "/dev/line0"), 0) << type;
        EXPECT_EQ(line.opened, std::vector<std::string>{"/dev/line0"});
        EXPECT_TRUE(ports.echoes()) << "the serial port is current";
        EXPECT_EQ(line.closes, 0);
        EXPECT_EQ(ports.setPort("Parallel", "", ""), kIOReturnNoDevice);
        EXPECT_EQ(line.closes, 1);
        EXPECT_FALSE(ports.echoes());
    }
    AllPorts unplugged;
    unplugged.findPorts();
    EXPECT_EQ(unplugged.setPort("USB", "USB IR Tower", "USB IR Tower"), -1);
    EXPECT_FALSE(unplugged.echoes());
    // A failed open leaves the null port current: writes are printed.
    AllPorts missing(std::make_unique<ListedPort>(1, ENOENT), std::make_unique<USBPort>());
    EXPECT_EQ(missing.setPort("Serial", "line 0", "/dev/missing"), ENOENT);
    StdoutCapture output;
    const std::uint8_t bytes[] = {0x10};
    EXPECT_EQ(missing.write(bytes, 1), 0);
    EXPECT_EQ(output.text(), "Writing 10\n");
}

TEST(NoPort, ListsNothingPrintsWritesAndFailsReadsOnceClosedUntilCurrentAgain)
{
    NoPort port;
    EXPECT_EQ(port.findPorts(), 0);
    EXPECT_EQ(port.portNameAtIndex(0), "");
    EXPECT_EQ(port.portPathAtIndex(0), "");
    EXPECT_EQ(port.openPort("/dev/ttyS0"), kIOReturnNoDevice);
    EXPECT_FALSE(port.echoes());
    const std::pair<Bytes, const char*> writes[] = {
        {hex("55 FF 00 10 EF"), "Writing 55 ff  0 10 ef\n"}, {{}, "Writing\n"}};
    for (const auto& [bytes, line] : writes) {
        StdoutCapture output;
        EXPECT_EQ(port.write(bytes.data(), static_cast<int>(bytes.size())), 0);
        EXPECT_EQ(output.text(), line);
    }
    std::uint8_t byte = 0;
    EXPECT_EQ(port.readByte(&byte, 20ms), kIOReturnTimeout) << "nothing ever arrives";
    auto read = std::async(std::launch::async, [&] { return port.readByte(&byte, Port::noTimeLimit); });
    while (read.wait_for(1ms) != std::future_status::ready)
        port.closePort();
    EXPECT_EQ(read.get(), kIOReturnNotReady);
    EXPECT_EQ(port.readByte(&byte, 10s), kIOReturnNotReady) << "at once";
    EXPECT_EQ(port.openPort(""), kIOReturnNoDevice);
    EXPECT_EQ(port.readByte(&byte, 20ms), kIOReturnTimeout);
}

TEST(SerialLines, TheTowerLineIsRawOddParityWithoutFlowControlAndKeepsOtherFlags)
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
    EXPECT_EQ(serialLineName("ttyS0", "", ""), "ttyS0");
    EXPECT_EQ(serialLineName("ttyS0", "FTDI", ""), "ttyS0 (FTDI)");
    EXPECT_EQ(serialLineName("ttyS0", "", "FT232R_USB_UART"), "ttyS0 (FT232R USB UART)");
    EXPECT_EQ(serialLineName("ttyS0", "Prolific", "PL2303 Serial"), "ttyS0 (Prolific PL2303 Serial)");
}

TEST(SerialLines, AnnouncedTowersComeByNameAfterTheMachinesLinesWithoutStaleOnes)
{
    TemporaryFolder runtime(true);
    const fs::path towers = runtime.folder / "infrabrick" / "towers";
    fs::create_directories(towers);
    for (const char* name : {"B brick", "Gone brick", "A brick"})
        fs::create_symlink(runtime.path(name), towers / name);
    for (const char* name : {"B brick", "A brick"})
        std::ofstream(runtime.path(name)).put('\n');
    std::ofstream(towers / "notes.txt").put('\n'); // not a link: no announcement
    ASSERT_EQ(announcedTowersFolder().value_or(""), towers);
    EXPECT_EQ(announcedTowers(towers), (std::vector<SerialLine>{{"A brick", (towers / "A brick").string()},
                                                                 {"B brick", (towers / "B brick").string()}}));
    AllPorts ports;
    const int count = ports.findPorts();
    ASSERT_GE(count, 3);
    for (int index = 0; index < count - 3; ++index)
        EXPECT_EQ(ports.portPathAtIndex(index).rfind("/dev/", 0), 0u) << ports.portPathAtIndex(index);
    EXPECT_EQ(ports.portNameAtIndex(count - 3), "A brick");
    EXPECT_EQ(ports.portPathAtIndex(count - 2), (towers / "B brick").string());
    EXPECT_EQ(ports.portTypeAtIndex(count - 2), "Serial");
    EXPECT_EQ(ports.portTypeAtIndex(count - 1), "USB");
    EXPECT_EQ(ports.findPorts(), count) << "listing again gives the same list";
    fs::remove_all(runtime.folder / "infrabrick");
    EXPECT_TRUE(announcedTowers(towers).empty());
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_FALSE(announcedTowersFolder().has_value());
}

constexpr std::uint8_t inEndpoint = 0x81;
constexpr std::uint8_t outEndpoint = 0x02;
constexpr int packetSize = 8;

// A tower as its descriptors describe it, a kernel driver bound. Each step
// answers 0 unless `answers` says otherwise (the last answer stays); the
// steps are recorded.
class FakeTower : public USBTowerDevice {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Bytes> packets;
    int readFailure = 0;
    template <typename Change> auto locked(Change change)
    {
        std::lock_guard lock(mutex);
        struct Notify {
            std::condition_variable& changed;
            ~Notify() { changed.notify_all(); }
        } notify{arrived};
        return change();
    }

public:
    std::map<std::string, std::deque<int>> answers;
    bool kernelDriverBound = true;
    std::vector<std::string> calls;
    std::vector<Bytes> written;
    std::vector<int> readSizes;

    // The tower's next packet on the in-endpoint, or a failure of every read.
    void deliver(const Bytes& packet) { locked([&] { packets.push_back(packet); }); }
    void failReads(int status) { locked([&] { readFailure = status; }); }
    std::size_t reads() { return locked([&] { return readSizes.size(); }); }

    int open(std::uint16_t vendor, std::uint16_t product) override
    {
        return vendor == 0x0694 && product == 0x0001 ? step("open") : LIBUSB_ERROR_NOT_FOUND;
    }
    int readLayout(Layout& layout) override { return layout = {1, 0, inEndpoint, outEndpoint, packetSize}, step("layout"); }
    int detachKernelDriver(int interfaceNumber, bool& detached) override
    {
        const int result = step("detach " + std::to_string(interfaceNumber));
        detached = result == 0 && kernelDriverBound;
        return result;
    }
    int setConfiguration(int configuration) override { return step("configuration " + std::to_string(configuration)); }
    int claimInterface(int interfaceNumber) override { return step("claim " + std::to_string(interfaceNumber)); }
    int reset() override { return step("reset"); }
    void releaseInterface(int interfaceNumber) override { step("release " + std::to_string(interfaceNumber)); }
    void attachKernelDriver(int interfaceNumber) override { step("attach " + std::to_string(interfaceNumber)); }
    void close() override { step("close"); }
    int transfer(std::uint8_t endpoint, std::uint8_t* data, int length, int& transferred,
                 std::chrono::milliseconds timeout) override
    {
        std::unique_lock lock(mutex);
        transferred = 0;
        if (endpoint == outEndpoint)
            return written.emplace_back(data, data + length), transferred = length, 0;
        if (endpoint != inEndpoint)
            return LIBUSB_ERROR_IO;
        readSizes.push_back(length);
        if (!arrived.wait_for(lock, timeout, [&] { return !packets.empty() || readFailure != 0; }))
            return LIBUSB_ERROR_TIMEOUT;
        if (readFailure != 0)
            return readFailure;
        transferred = static_cast<int>(std::min<std::size_t>(packets.front().size(), length));
        std::copy_n(packets.front().begin(), transferred, data);
        packets.pop_front();
        return 0;
    }

private:
    int step(const std::string& name)
    {
        return locked([&] {
            calls.push_back(name);
            std::deque<int>& answer = answers[name.substr(0, name.find(' '))];
            const int result = answer.empty() ? 0 : answer.front();
            if (answer.size() > 1)
                answer.pop_front();
            return result;
        });
    }
};

using Steps = std::vector<std::string>;
const Steps openSteps = {"open", "layout", "detach 0", "configuration 1", "claim 0", "reset"};
const Steps closeSteps = {"release 0", "attach 0", "close"};

Steps operator+(Steps a, const Steps& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class USBPortTest : public ::testing::Test {
protected:
    FakeTower& tower = *new FakeTower;
    std::vector<std::chrono::milliseconds> pauses;
    StdoutCapture output;
    USBPort port{std::unique_ptr<USBTowerDevice>(&tower), [this](std::chrono::milliseconds time) { pauses.push_back(time); }};
};

TEST_F(USBPortTest, IsTheOneUSBIRTowerAndOpensStepByStepGivingEverythingBackOnClose)
{
    EXPECT_EQ(port.findPorts(), 1);
    EXPECT_EQ(port.portNameAtIndex(0), "USB IR Tower");
    EXPECT_EQ(port.portPathAtIndex(0), "USB IR Tower");
    EXPECT_FALSE(port.echoes());
    ASSERT_EQ(port.openPort("USB IR Tower"), 0);
    EXPECT_EQ(tower.calls, openSteps);
    port.closePort();
    port.closePort();
    EXPECT_EQ(tower.calls, openSteps + closeSteps);
    tower.kernelDriverBound = false;
    ASSERT_EQ(port.openPort(""), 0);
    port.closePort();
    EXPECT_EQ(tower.calls, openSteps + closeSteps + openSteps + Steps({"release 0", "close"}));
    EXPECT_TRUE(pauses.empty());
}

TEST_F(USBPortTest, ATowerHeldElsewhereIsTriedFiveTimesHalfASecondApart)
{
    const Steps attempt = {"open", "layout", "detach 0", "configuration 1", "claim 0", "attach 0", "close"};
    const struct {
        const char* step;
        std::deque<int> answers;
        IOReturn result;
        Steps calls;
    } cases[] = {
        {"open", {LIBUSB_ERROR_NOT_FOUND}, -1, {"open"}},
        {"claim", {LIBUSB_ERROR_BUSY}, kIOReturnExclusiveAccess, attempt + attempt + attempt + attempt + attempt},
        {"open", {LIBUSB_ERROR_BUSY}, kIOReturnExclusiveAccess, Steps(5, "open")},
        {"claim", {LIBUSB_ERROR_BUSY, LIBUSB_ERROR_BUSY, 0}, 0, attempt + attempt + openSteps},
    };
    for (const auto& c : cases) {
        auto* held = new FakeTower;
        held->answers[c.step] = c.answers;
        std::vector<std::chrono::milliseconds> waits;
        USBPort heldPort(std::unique_ptr<USBTowerDevice>(held), [&](std::chrono::milliseconds time) { waits.push_back(time); });
        EXPECT_EQ(heldPort.openPort(""), c.result) << c.step;
        EXPECT_EQ(held->calls, c.calls);
        const std::size_t attempts = std::max<std::size_t>(1, std::count(held->calls.begin(), held->calls.end(), "open"));
        EXPECT_EQ(waits, std::vector<std::chrono::milliseconds>(attempts - 1, 500ms));
    }
}

TEST_F(USBPortTest, AFailedStepGivesBackWhatTheOpenHadTaken)
{
    const std::pair<const char*, Steps> cases[] = {
        {"layout", {"close"}},
        {"detach", {"close"}},
        {"configuration", {"attach 0", "close"}},
        {"claim", {"attach 0", "close"}},
        {"reset", {"release 0", "attach 0", "close"}},
    };
    for (const auto& [step, undo] : cases) {
        auto* failing = new FakeTower;
        failing->answers[step] = {LIBUSB_ERROR_PIPE};
        failing->kernelDriverBound = std::string(step) != "detach";
        USBPort failingPort(std::unique_ptr<USBTowerDevice>(failing), [](std::chrono::milliseconds) {});
        EXPECT_EQ(failingPort.openPort(""), LIBUSB_ERROR_PIPE) << step;
        const Steps calls = failing->calls;
        const auto at = std::find_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.starts_with(step); });
        EXPECT_EQ(Steps(at + 1, calls.end()), undo) << step;
        failingPort.closePort();
        EXPECT_EQ(failing->calls.size(), calls.size()) << "nothing left to give back";
    }
    EXPECT_NE(output.text().find("libusb_claim_interface returned: -9\n"), std::string::npos);
}

TEST_F(USBPortTest, WritesGoInPiecesOf32AndReadsHandOutWholePacketsByteByByte)
{
    std::uint8_t byte = 0;
    EXPECT_NE(port.readByte(&byte, Port::noTimeLimit), 0) << "closed";
    EXPECT_NE(port.write(&byte, 1), 0);
    ASSERT_EQ(port.openPort(""), 0);
    Bytes bytes(40);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i + 1);
    ASSERT_EQ(port.write(bytes.data(), 40), 0);
    ASSERT_EQ(port.write(bytes.data(), 7), 0);
    ASSERT_EQ(port.write(bytes.data(), 0), 0);
    EXPECT_EQ(tower.written, (std::vector<Bytes>{Bytes(bytes.begin(), bytes.begin() + 32),
                                                  Bytes(bytes.begin() + 32, bytes.end()),
                                                  Bytes(bytes.begin(), bytes.begin() + 7)}));
    tower.deliver(hex("55 FF 00 CF 30"));
    tower.deliver(hex("42"));
    for (std::uint8_t expected : hex("55 FF 00 CF 30 42")) {
        ASSERT_EQ(port.readByte(&byte, Port::noTimeLimit), 0);
        EXPECT_EQ(byte, expected);
    }
    EXPECT_EQ(tower.readSizes, std::vector<int>(2, packetSize)) << "two packets, each asked for whole";
    // A waiting read ends when the port is closed; a failed one returns the
    // library's status.
    auto read = std::async(std::launch::async, [&] { return port.readByte(&byte, Port::noTimeLimit); });
    ASSERT_TRUE(waitUntil([&] { return tower.reads() >= 5; }));
    port.closePort();
    EXPECT_NE(read.get(), 0);
    EXPECT_EQ(tower.calls, openSteps + closeSteps);
    ASSERT_EQ(port.openPort(""), 0);
    tower.failReads(LIBUSB_ERROR_NO_DEVICE);
    EXPECT_EQ(port.readByte(&byte, Port::noTimeLimit), LIBUSB_ERROR_NO_DEVICE);
}

} // namespace
