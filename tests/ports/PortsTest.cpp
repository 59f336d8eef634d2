// The port list, the null port, serial line names, the USB port on a fake device.
#include "ports/AllPorts.h"
#include "ports/NoPort.h"
#include "ports/SerialLines.h"
#include "ports/USBPort.h"
#include "support/Recording.h"
#include "support/ScriptedPort.h"
#include "support/StdoutCapture.h"

#include <gtest/gtest.h>

#include <libusb.h>

#include <deque>
#include <fstream>
#include <future>
#include <map>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST(AllPorts, ListsTheSerialLinesThenTheUSBTowerAndOpensTheChosenType)
{
    auto* serial = new ScriptedPort;
    AllPorts ports(std::unique_ptr<Port>(serial), std::make_unique<USBPort>());
    EXPECT_EQ(ports.portTypeAtIndex(0), "NoPort") << "before the first search";
    ASSERT_EQ(ports.findPorts(), 2);
    const std::vector<std::vector<std::string>> listed = {
        {"NoPort", "", ""}, {"Serial", "Scripted", "scripted"}, {"USB", "USB IR Tower", "USB IR Tower"}, {"NoPort", "", ""}};
    for (int index = -1; index <= 2; ++index)
        EXPECT_EQ((std::vector{ports.portTypeAtIndex(index), ports.portNameAtIndex(index), ports.portPathAtIndex(index)}),
                  listed[index + 1]) << index;
    for (const char* type : {"Serial", "sErIaL"}) {
        EXPECT_EQ(ports.setPort(type, "", "scripted"), 0) << type;
        EXPECT_TRUE(ports.echoes()) << "the serial port is current";
        EXPECT_EQ(ports.setPort("Parallel", "", ""), kIOReturnNoDevice);
        EXPECT_FALSE(ports.echoes());
        std::uint8_t byte;
        EXPECT_EQ(serial->readByte(&byte, 0ms), ScriptedPort::closedCode) << "closed on leaving it";
    }
    EXPECT_EQ(ports.setPort("usb", "USB IR Tower", "USB IR Tower"), -1) << "no tower attached";
    EXPECT_FALSE(ports.echoes());
}

TEST(NoPort, ListsNothingPrintsWritesAndFailsReadsOnceClosedUntilCurrentAgain)
{
    NoPort port;
    EXPECT_EQ(port.findPorts() + port.portNameAtIndex(0).size() + port.portPathAtIndex(0).size(), 0u);
    EXPECT_EQ(port.openPort("/dev/ttyS0"), kIOReturnNoDevice);
    StdoutCapture output;
    const Bytes bytes = hex("55 FF 00 10 EF");
    EXPECT_EQ(port.write(bytes.data(), 5) + port.write(bytes.data(), 0), 0);
    EXPECT_EQ(output.text(), "Writing 55 ff  0 10 ef\nWriting\n");
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

TEST(SerialLines, ALineIsNamedByItsAdapter)
{
    for (const auto& [vendor, model, name] : {std::tuple{"", "", "ttyS0"}, {"FTDI", "", "ttyS0 (FTDI)"}, {"", "FT232R_USB_UART", "ttyS0 (FT232R USB UART)"},
                                              {"Prolific", "PL2303 Serial", "ttyS0 (Prolific PL2303 Serial)"}})
        EXPECT_EQ(serialLineName("ttyS0", vendor, model), name);
}

TEST(SerialLines, AnnouncedTowersComeByNameAfterTheMachinesLinesWithoutStaleOnes)
{
    TemporaryFolder runtime(true);
    const fs::path towers = runtime.folder / "infrabrick" / "towers";
    fs::create_directories(towers);
    for (const std::string name : {"B brick", "Gone brick", "A brick"})
        if (fs::create_symlink(runtime.path(name), towers / name); name != "Gone brick")
            std::ofstream(runtime.path(name)).put('\n');
    std::ofstream(towers / "notes.txt").put('\n'); // not a link: no announcement
    ASSERT_EQ(announcedTowersFolder().value_or(""), towers);
    AllPorts ports;
    const int count = ports.findPorts();
    ASSERT_GE(count, 3);
    for (int index = 0; index < count - 3; ++index)
        EXPECT_EQ(ports.portPathAtIndex(index).rfind("/dev/", 0), 0u) << ports.portPathAtIndex(index);
    EXPECT_EQ((std::vector{ports.portNameAtIndex(count - 3), ports.portPathAtIndex(count - 2), ports.portTypeAtIndex(count - 2),
                           ports.portTypeAtIndex(count - 1)}),
              (std::vector<std::string>{"A brick", (towers / "B brick").string(), "Serial", "USB"}));
    fs::remove_all(runtime.folder / "infrabrick");
    EXPECT_TRUE(announcedTowers(towers).empty());
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_FALSE(announcedTowersFolder().has_value());
}

using Steps = std::vector<std::string>;
using Place = USBTowerDevice::Place;

// A tower at bus 1, port 3 (or at `places`) with interface 0, endpoints 0x81 and 0x02, 8-byte packets and a kernel driver
// bound; each step is recorded and answers 0 unless `answers` says otherwise (the last stays).
struct FakeTower : USBTowerDevice {
    std::map<std::string, std::deque<int>> answers;
    bool kernelDriverBound = true;
    Steps calls;
    std::vector<Bytes> written;
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Bytes> packets; // the next ones on the in-endpoint; empty: a read failure
    std::atomic<int> reads = 0;
    std::vector<Place> places = {{1, {3}}};
    std::optional<Place> asked; // the place the last open asked for

    std::vector<Place> findDevices(std::uint16_t vendor, std::uint16_t product) override
    {
        return vendor == 0x0694 && product == 0x0001 ? places : std::vector<Place>();
    }
    int open(std::uint16_t vendor, std::uint16_t product, const std::optional<Place>& place) override
    {
        asked = place;
        const bool there = !place || std::find(places.begin(), places.end(), *place) != places.end();
        return vendor == 0x0694 && product == 0x0001 && there ? step("open") : LIBUSB_ERROR_NOT_FOUND;
    }
    int readLayout(Layout& layout) override { return layout = {1, 0, 0x81, 0x02, 8}, step("layout"); }
    int detachKernelDriver(int, bool& detached) override { return detached = kernelDriverBound, step("detach"); }
    int setConfiguration(int configuration) override { return step("configuration " + std::to_string(configuration)); }
    int claimInterface(int interface) override { return step("claim " + std::to_string(interface)); }
    int reset() override { return step("reset"); }
    void releaseInterface(int interface) override { step("release " + std::to_string(interface)); }
    void attachKernelDriver(int interface) override { step("attach " + std::to_string(interface)); }
    void close() override { step("close"); }
    int vendorRequest(std::uint8_t request, std::uint16_t value) override
    {
        char name[32];
        std::snprintf(name, sizeof name, "request %02x %04x", request, value);
        return step(name);
    }
    int transfer(std::uint8_t endpoint, std::uint8_t* data, int length, int& transferred, std::chrono::milliseconds timeout) override
    {
        std::unique_lock lock(mutex);
        transferred = 0;
        if (endpoint == 0x02)
            return written.emplace_back(data, data + length), transferred = length, 0;
        if (endpoint != 0x81 || length != 8)
            return LIBUSB_ERROR_IO;
        if (++reads, !arrived.wait_for(lock, timeout, [&] { return !packets.empty(); }))
            return LIBUSB_ERROR_TIMEOUT;
        const Bytes packet = packets.front();
        packets.pop_front();
        transferred = int(packet.size());
        std::copy(packet.begin(), packet.end(), data);
        return packet.empty() ? LIBUSB_ERROR_NO_DEVICE : 0;
    }
    void deliver(const Bytes& packet) { std::lock_guard lock(mutex); packets.push_back(packet); arrived.notify_all(); }
    int step(const std::string& name)
    {
        calls.push_back(name);
        std::deque<int>& answer = answers[name.substr(0, name.find(' '))];
        const int result = answer.empty() ? 0 : answer.front();
        if (answer.size() > 1)
            answer.pop_front();
        return result;
    }
};

const Steps openSteps = {"open", "layout", "detach", "configuration 1", "claim 0", "reset"};
const Steps closeSteps = {"release 0", "attach 0", "close"};

TEST(USBPort, OpensStepByStepRetryingATowerHeldElsewhereAndGivesEverythingBack)
{
    const Steps busy = {"open", "layout", "detach", "configuration 1", "claim 0", "attach 0", "close"};
    const struct { const char* step; std::deque<int> answers; IOReturn result; Steps calls; } cases[] = {
        {"open", {LIBUSB_ERROR_NOT_FOUND}, -1, {"open"}},
        {"none", {}, 0, openSteps + closeSteps},
        {"claim", {LIBUSB_ERROR_BUSY}, kIOReturnExclusiveAccess, busy + busy + busy + busy + busy},
        {"open", {LIBUSB_ERROR_BUSY}, kIOReturnExclusiveAccess, Steps(5, "open")},
        {"claim", {LIBUSB_ERROR_BUSY, LIBUSB_ERROR_BUSY, 0}, 0, busy + busy + openSteps + closeSteps},
        // A failed step gives back what the open had taken.
        {"layout", {LIBUSB_ERROR_PIPE}, LIBUSB_ERROR_PIPE, {"open", "layout", "close"}},
        {"detach", {LIBUSB_ERROR_PIPE}, LIBUSB_ERROR_PIPE, {"open", "layout", "detach", "close"}},
        {"configuration", {LIBUSB_ERROR_PIPE}, LIBUSB_ERROR_PIPE, {"open", "layout", "detach", "configuration 1", "attach 0", "close"}},
        {"claim", {LIBUSB_ERROR_PIPE}, LIBUSB_ERROR_PIPE, busy},
        {"reset", {LIBUSB_ERROR_PIPE}, LIBUSB_ERROR_PIPE, openSteps + closeSteps},
    };
    for (const auto& c : cases) {
        StdoutCapture output;
        auto* tower = new FakeTower;
        tower->answers[c.step] = c.answers;
        tower->kernelDriverBound = std::string(c.step) != "detach";
        std::vector<std::chrono::milliseconds> pauses;
        USBPort port(std::unique_ptr<USBTowerDevice>(tower), [&](std::chrono::milliseconds time) { pauses.push_back(time); });
        EXPECT_EQ(port.findPorts() - port.echoes(), 1);
        EXPECT_EQ(port.openPort("USB IR Tower"), c.result) << c.step;
        port.closePort(), port.closePort();
        EXPECT_EQ(tower->calls, c.calls) << c.step;
        EXPECT_EQ(pauses, std::vector(std::count(c.calls.begin(), c.calls.end(), "open") - 1, 500ms)) << c.step;
        EXPECT_EQ(output.text().find("libusb_claim_interface returned: -9\n") != std::string::npos,
                  c.result == LIBUSB_ERROR_PIPE && std::string(c.step) == "claim");
    }
    auto* unbound = new FakeTower;
    unbound->kernelDriverBound = false;
    USBPort port(std::unique_ptr<USBTowerDevice>(unbound), [](std::chrono::milliseconds) {});
    ASSERT_EQ(port.openPort(""), 0);
    port.closePort();
    EXPECT_EQ(unbound->calls, openSteps + Steps({"release 0", "close"})) << "the kernel driver left alone";
}

TEST(USBPort, ListsOneTowerAsTheTowerAndSeveralByTheirPlaces)
{
    const struct { std::vector<Place> places; Steps names; Steps paths; } cases[] = {
        {{}, {"USB IR Tower"}, {"USB IR Tower"}},
        {{{1, {3}}}, {"USB IR Tower"}, {"USB IR Tower"}},
        {{{1, {3}}, {2, {1, 4}}}, {"USB IR Tower (bus 1, port 3)", "USB IR Tower (bus 2, port 1.4)"}, {"1-3", "2-1.4"}},
    };
    for (const auto& c : cases) {
        auto* tower = new FakeTower;
        tower->places = c.places;
        USBPort port(std::unique_ptr<USBTowerDevice>(tower), [](std::chrono::milliseconds) {});
        Steps names, paths;
        for (int index = 0, count = port.findPorts(); index < count; ++index)
            names.push_back(port.portNameAtIndex(index)), paths.push_back(port.portPathAtIndex(index));
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(paths, c.paths);
    }
}

TEST(USBPort, OpensTheTowerAtThePlaceAPathNamesElseTheFirst)
{
    const struct { const char* path; std::optional<Place> asked; IOReturn result; } cases[] = {
        {"USB IR Tower", std::nullopt, 0}, {"2-1.4", Place{2, {1, 4}}, 0}, {"1-4", Place{1, {4}}, -1},
        {"1-", std::nullopt, 0}, {"1-3.x", std::nullopt, 0}, {"-3", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        auto* tower = new FakeTower;
        tower->places = {{1, {3}}, {2, {1, 4}}};
        USBPort port(std::unique_ptr<USBTowerDevice>(tower), [](std::chrono::milliseconds) {});
        EXPECT_EQ(port.openPort(c.path), c.result) << c.path;
        EXPECT_EQ(tower->asked, c.asked) << c.path;
    }
}

TEST(USBPort, WritesGoInPiecesOf32AndReadsHandOutWholePacketsByteByByte)
{
    auto* tower = new FakeTower;
    USBPort port(std::unique_ptr<USBTowerDevice>(tower), [](std::chrono::milliseconds) {});
    std::uint8_t byte = 0;
    EXPECT_NE(port.readByte(&byte, Port::noTimeLimit), 0) << "closed";
    EXPECT_NE(port.write(&byte, 1), 0);
    ASSERT_EQ(port.openPort(""), 0);
    const Bytes bytes = hex("01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F 20 21 22");
    ASSERT_EQ(port.write(bytes.data(), 34) + port.write(bytes.data(), 0), 0);
    EXPECT_EQ(tower->written, (std::vector<Bytes>{Bytes(bytes.begin(), bytes.begin() + 32), hex("21 22")}));
    tower->deliver(hex("55 FF 00 CF 30"));
    tower->deliver(hex("42"));
    Bytes read(6);
    for (std::uint8_t& next : read)
        ASSERT_EQ(port.readByte(&next, Port::noTimeLimit), 0);
    EXPECT_EQ(read, hex("55 FF 00 CF 30 42"));
    EXPECT_EQ(port.readByte(&byte, 1ms), kIOReturnTimeout);
    // A waiting read ends when the port closes; a failed one returns the library's status.
    auto waiting = std::async(std::launch::async, [&] { return port.readByte(&byte, Port::noTimeLimit); });
    ASSERT_TRUE(waitUntil([&] { return tower->reads >= 5; }));
    port.closePort();
    EXPECT_NE(waiting.get(), 0);
    ASSERT_EQ(port.openPort(""), 0);
    tower->deliver({});
    EXPECT_EQ(port.readByte(&byte, Port::noTimeLimit), LIBUSB_ERROR_NO_DEVICE);
}

// The fast line: the range short, both speeds 4800; and back: both 2400, the
// range medium. The first request the tower refuses ends the change.
TEST(USBPort, ChangesItsLineThroughTheTowersSpeedAndRangeRequests)
{
    const Steps toFast = {"request 02 0102", "request ef 0010", "request f1 0010"};
    const Steps toNormal = {"request 02 0202", "request ef 0008", "request f1 0008"};
    const struct { std::deque<int> answers; IOReturn fast; Steps calls; } cases[] = {
        {{}, 0, toFast + toNormal},
        {{0, 0x01, 0}, 0x01, Steps(toFast.begin(), toFast.begin() + 2) + toNormal}, // the tower's "bad parameter"
        {{LIBUSB_ERROR_PIPE, 0}, LIBUSB_ERROR_PIPE, Steps(toFast.begin(), toFast.begin() + 1) + toNormal},
    };
    for (const auto& c : cases) {
        StdoutCapture output;
        auto* tower = new FakeTower;
        tower->answers["request"] = c.answers;
        USBPort port(std::unique_ptr<USBTowerDevice>(tower), [](std::chrono::milliseconds) {});
        EXPECT_NE(port.setLineSpeed(LineSpeed::fast), 0) << "closed";
        ASSERT_EQ(port.openPort(""), 0);
        tower->calls.clear();
        EXPECT_EQ(port.setLineSpeed(LineSpeed::fast), c.fast);
        EXPECT_EQ(port.setLineSpeed(LineSpeed::normal), 0);
        EXPECT_EQ(tower->calls, c.calls);
        EXPECT_TRUE(port.fastLineKeepsParity());
    }
}

} // namespace
