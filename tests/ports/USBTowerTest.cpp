// The USB port and the link through the real libusb on emulated LEGO USB IR
// Towers: the brick's commands and transfers, the tower's own requests, the
// faults of a real bus, and several towers at once.
#include "ports/LibusbTowerDevice.h"
#include "ports/USBPort.h"
#include "rcx/FirmwareFile.h"
#include "support/USBBrick.h"

#include <gtest/gtest.h>

#include <libusb.h>

#include <filesystem>
#include <future>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(USBTower, CarriesTheBatteryPollAndTheTransfers)
{
    USBBrick usb;
    RecordingFileOp fileOp;
    usb.brick.setBattery(8123);
    EXPECT_EQ(usb.controller.readBatteryLevel(), 8123);
    EXPECT_EQ(unframed(usb.tower.written()), Bytes{0x30});

    usb.controller.selectProgram(2);
    ASSERT_EQ(usb.controller.sendProgFile(INFRABRICK_RCX_FIXTURES "/tasks.rcx", fileOp), 0);
    EXPECT_FALSE(usb.brick.snapshot().programs[1].tasks[0].empty());

    usb.controller.setDataLog(10, fileOp);
    for (const int value : {-3, 400})
        ASSERT_TRUE(usb.brick.addDatalogEntry(31, std::int16_t(value)));
    const std::optional<std::vector<LogEntry>> entries = usb.controller.uploadDatalog(fileOp);
    ASSERT_TRUE(entries && entries->size() == 2);
    EXPECT_EQ(std::pair(entries->at(0).value, entries->at(1).value), std::pair(-3, 400));

    const std::string firmware = "/usr/lib/brickos/brickOS.srec"; // a firmware no one here wrote
    if (std::filesystem::exists(firmware)) {
        usb.controller.sendFirmware(firmware, fileOp);
        EXPECT_TRUE(usb.brick.snapshot().firmware.unlocked);
        EXPECT_GT(usb.brick.snapshot().firmware.image.size(), 10000u);
    }
    EXPECT_EQ(usb.usb.listener.failures(), 0);
    EXPECT_TRUE(std::none_of(fileOp.events.begin(), fileOp.events.end(), [](const std::string& event) { return event.starts_with("abort"); }));
}

// The brick hears the tower's transmit speed and the tower the brick's line
// at its receive speed: the fast firmware gets through only by the speed requests.
TEST(USBTower, CarriesTheFastFirmwareDownloadAtTheSpeedsItIsSet)
{
    USBBrick usb;
    RecordingFileOp fileOp;
    const std::string firmware = "/usr/lib/brickos/brickOS.srec";
    usb.controller.sendFirmware(firmware, fileOp, RCXController::FirmwareSpeed::fast);
    EXPECT_EQ(fileOp.events.back(), "stop");
    EXPECT_EQ(usb.brick.snapshot().firmware.image, readFirmwareFile(firmware).image);
    const std::vector<ByteString> history = usb.brick.history();
    EXPECT_TRUE(std::any_of(history.begin(), history.end(), [](const ByteString& c) { return c.size() == 206; })) << "200-byte blocks";
    EXPECT_EQ(usb.tower.settings().transmitSpeed, TowerRequests::baud2400);
    EXPECT_TRUE(fileOp.notes.empty());
}

// Each request as libusb sends it, and the tower's whole reply.
TEST(USBTower, AnswersItsVendorRequestsEachWithItsHeader)
{
    TowerTestbed bus;
    EmulatedTower& tower = bus.plug(3);
    libusb_context* context;
    ASSERT_EQ(libusb_init(&context), 0);
    libusb_device_handle* handle = libusb_open_device_with_vid_pid(context, 0x0694, 0x0001);
    ASSERT_TRUE(handle);
    const struct { std::uint8_t request; std::uint16_t value; const char* reply; } cases[] = {
        {0xFD, 0, "08 00 00 00 01 00 3C 00"},           // version 1.0, build 60
        {0x01, 0x02, "04 00 00 02"},                    // range: medium
        {0x02, 0x0102, "04 00 00 01"},                  // range short
        {0x02, 0x0902, "04 00 01 09"},                  // no such range
        {0x02, 0x0201, "04 00 00 02"},                  // mode: infrared
        {0xEF, 0x10, "06 00 00 00 10 00"},              // transmit at 4800
        {0xF1, 0x10, "06 00 00 00 10 00"},              // receive at 4800
        {0xF1, 0x03, "06 00 01 00 10 00"},              // no such speed
        {0xF0, 0, "06 00 00 00 10 00"},
        {0xF4, 38, "04 00 00 26"},                      // carrier 38 kHz
        {0xF6, 100, "04 00 01 32"},                     // duty cycle beyond 99 %
        {0xFC, 0x02, "0C 00 00 00 03 07 1C 00 1C 00 1E 4C"},
        {0x03, 0x03, "04 00 00 00"},                    // flush
        {0x42, 0, "04 00 FF 00"},                       // unknown
    };
    for (const auto& c : cases) {
        std::uint8_t reply[16];
        const int length = libusb_control_transfer(handle, 0xC0, c.request, c.value, 0, reply, sizeof reply, 1000);
        EXPECT_EQ(Bytes(reply, reply + std::max(length, 0)), hex(c.reply)) << std::hex << int(c.request);
    }
    EXPECT_EQ(tower.settings(), (TowerRequests::Settings{TowerRequests::infraredMode, TowerRequests::shortRange,
                                                         TowerRequests::baud4800, TowerRequests::baud4800, 38, 50}));
    std::uint8_t reply[4];
    EXPECT_EQ(libusb_control_transfer(handle, 0xC0, 0x04, 0, 0, reply, sizeof reply, 1000), 4);
    EXPECT_EQ(tower.settings(), TowerRequests::Settings()) << "reset";
    libusb_close(handle);
    libusb_exit(context);
}

TEST(USBTower, TheKernelDriverIsDetachedWhileThePortHoldsTheTowerAndGivenBackOnClose)
{
    TowerTestbed bus;
    EmulatedTower& tower = bus.plug(3);
    USBLink usb;
    EXPECT_TRUE(tower.kernelDriverBound());
    ASSERT_EQ(usb.open(), 0);
    EXPECT_FALSE(tower.kernelDriverBound());
    EXPECT_EQ(tower.configuration(), 1);
    usb.ports.closePort();
    EXPECT_TRUE(tower.kernelDriverBound());
}

// Another program holds the tower: five attempts half a second apart, and
// the one after it lets go opens.
TEST(USBTower, AHeldTowerIsTriedFiveTimesThenReportedAndOpensOnceLetGo)
{
    for (const auto& [letGoAtPause, result, pauses] : {std::tuple{0, kIOReturnExclusiveAccess, 4}, {2, 0, 2}}) {
        TowerTestbed bus;
        EmulatedTower& tower = bus.plug(3);
        tower.holdElsewhere(true);
        int paused = 0;
        USBPort port(std::make_unique<LibusbTowerDevice>(), [&](std::chrono::milliseconds time) {
            EXPECT_EQ(time, 500ms);
            if (++paused == letGoAtPause)
                tower.holdElsewhere(false);
        });
        EXPECT_EQ(port.openPort("USB IR Tower"), result);
        EXPECT_EQ(paused, pauses);
    }
}

// A tower whose transfers stop answering fails the exchange within the
// write's time-out, and the link goes on once it answers again.
TEST(USBTower, TransfersThatStopAnsweringTimeOut)
{
    USBBrick usb;
    usb.tower.stopAnswering(true);
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(usb.controller.readBatteryLevel(), 0);
    EXPECT_LT(Clock::now() - start, 3 * USBPort::writeTimeout);
    EXPECT_EQ(usb.usb.listener.towerErrors, 1);
    usb.tower.stopAnswering(false);
    usb.brick.setBattery(7500);
    EXPECT_EQ(usb.controller.readBatteryLevel(), 7500);
}

// Unplugged in the middle of a download, the tower fails the link at once;
// plugged back in, it opens again.
TEST(USBTower, AnUnpluggedTowerFailsTheDownloadAndOpensOncePluggedBackIn)
{
    USBBrick usb;
    RecordingFileOp fileOp;
    usb.tower.unplugWhen([](const Bytes& written) { return written.size() > 100; });
    EXPECT_NE(usb.controller.sendProgFile(INFRABRICK_RCX_FIXTURES "/tasks.rcx", fileOp), 0);
    EXPECT_EQ(fileOp.events.back().rfind("abort", 0), 0u);
    EXPECT_GE(usb.usb.listener.towerErrors, 1);
    EXPECT_EQ(usb.usb.open(), USBPort::noTowerAttached);
    usb.tower.plugIn();
    ASSERT_EQ(usb.usb.open(), 0);
    usb.brick.setBattery(7600);
    EXPECT_EQ(usb.controller.readBatteryLevel(), 7600);
}

// Two towers are each listed by their place, and two links drive them at
// the same time, each its own brick.
TEST(USBTower, SeveralTowersAreListedByTheirPlaceAndEachDrivenOnItsOwn)
{
    TowerTestbed bus;
    EmulatedTower& first = bus.plug(3);
    USBLink one, two;
    auto listing = [&] {
        std::vector<std::string> names;
        for (int index = 0, count = one.ports.findPorts(); index < count; ++index)
            names.push_back(one.ports.portNameAtIndex(index) + " at " + one.ports.portPathAtIndex(index));
        return names;
    };
    EXPECT_EQ(listing(), std::vector<std::string>{"USB IR Tower at USB IR Tower"});
    EmulatedTower& second = bus.plug(4);
    EXPECT_EQ(listing(), (std::vector<std::string>{"USB IR Tower (bus 1, port 3) at 1-3", "USB IR Tower (bus 1, port 4) at 1-4"}));
    ASSERT_EQ(one.open("1-4"), 0);
    ASSERT_EQ(two.open("1-3"), 0);
    first.brick.setBattery(7000);
    second.brick.setBattery(9000);
    auto polls = [](USBLink& link) {
        std::vector<int> levels;
        for (int poll = 0; poll < 20; ++poll)
            levels.push_back(link.controller.readBatteryLevel());
        return levels;
    };
    auto other = std::async(std::launch::async, polls, std::ref(two));
    EXPECT_EQ(polls(one), std::vector<int>(20, 9000));
    EXPECT_EQ(other.get(), std::vector<int>(20, 7000));
    EXPECT_EQ(first.brick.history().size(), 20u);
    EXPECT_EQ(second.brick.history().size(), 20u);
}

} // namespace
