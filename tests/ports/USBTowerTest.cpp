// The USB port and the link through the real libusb on emulated LEGO USB IR
// Towers: the brick's commands and transfers, the tower's own requests, the
// faults of a real bus, and several towers at once.
#include "ports/LibusbTowerDevice.h"
#include "ports/USBPort.h"
#include "rcx/FirmwareFile.h"
#include "support/StdoutCapture.h"
#include "support/USBBrick.h"

#include <gtest/gtest.h>

#include <libusb.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <future>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Settings = TowerRequests::Settings;

// The brick hears the tower's transmit speed and the tower the brick's line
// at its receive speed: the fast firmware gets through only by the speed
// requests, in 200-byte blocks, and the range is set again after it.
TEST(USBTower, CarriesTheBatteryPollAndTheTransfersAndTheFastFirmware)
{
    USBBrick usb;
    usb.usb.ports.setTowerRange(TowerRange::longRange);
    ASSERT_EQ(usb.usb.open(), 0);
    RecordingFileOp fileOp;
    usb.brick.setBattery(8123);
    EXPECT_EQ(usb.controller.readBatteryLevel(), 8123);
    EXPECT_EQ(unframed(usb.tower.writes().at(0)), Bytes{0x30});

    usb.controller.selectProgram(2);
    ASSERT_EQ(usb.controller.sendProgFile(INFRABRICK_RCX_FIXTURES "/tasks.rcx", fileOp), 0);
    EXPECT_FALSE(usb.brick.snapshot().programs[1].tasks[0].empty());
    for (const Bytes& piece : usb.tower.writes())
        EXPECT_LE(piece.size(), 32u);

    usb.controller.setDataLog(10, fileOp);
    for (const int value : {-3, 400})
        ASSERT_TRUE(usb.brick.addDatalogEntry(31, std::int16_t(value)));
    const std::optional<std::vector<LogEntry>> entries = usb.controller.uploadDatalog(fileOp);
    ASSERT_TRUE(entries && entries->size() == 2);
    EXPECT_EQ(std::pair(entries->at(0).value, entries->at(1).value), std::pair(-3, 400));

    const std::string firmware = "/usr/lib/brickos/brickOS.srec"; // a firmware no one here wrote
    usb.controller.sendFirmware(firmware, fileOp, RCXController::FirmwareSpeed::fast);
    EXPECT_EQ(usb.brick.snapshot().firmware.image, readFirmwareFile(firmware).image);
    const std::vector<ByteString> history = usb.brick.history();
    EXPECT_TRUE(std::any_of(history.begin(), history.end(), [](const ByteString& c) { return c.size() == 206; })) << "200-byte blocks";
    EXPECT_TRUE(fileOp.notes.empty()) << fileOp.notes.front(); // no fall-back to the normal speed
    EXPECT_EQ(usb.tower.settings(), (Settings{TowerRequests::infraredMode, TowerRequests::longRange}));
    EXPECT_EQ(usb.usb.listener.failures(), 0);
    EXPECT_TRUE(std::none_of(fileOp.events.begin(), fileOp.events.end(), [](const std::string& event) { return event.starts_with("abort"); }));
}

// The kernel's driver is detached while the port holds the tower, and given
// back on close or when a later step of the open fails; a driver that was
// not bound is not attached.
TEST(USBTower, TheKernelDriverIsDetachedWhileThePortHoldsTheTowerAndGivenBack)
{
    const struct { unsigned long failing; const char* step; bool unbound; } cases[] = {
        {0, "", false}, {0, "", true}, {USBDEVFS_SETCONFIGURATION, "libusb_set_configuration", false},
        {USBDEVFS_CLAIMINTERFACE, "libusb_claim_interface", false}, {USBDEVFS_RESET, "libusb_reset_device", false},
    };
    for (const auto& [failing, step, unbound] : cases) {
        TowerTestbed bus;
        EmulatedTower& tower = bus.plug("1-3");
        if (unbound)
            tower.unbindDriver();
        tower.failRequest(failing, EIO);
        USBLink usb;
        StdoutCapture output;
        EXPECT_EQ(usb.open(), failing ? LIBUSB_ERROR_OTHER : 0) << step;
        EXPECT_EQ(output.text(), failing ? std::string(step) + " returned: -99\n" : "");
        EXPECT_EQ(tower.kernelDriverBound(), failing != 0) << step;
        EXPECT_EQ(tower.configuration(), 1);
        tower.failRequest(failing, 0);
        ASSERT_EQ(usb.open(), 0) << "let go after " << step;
        usb.ports.closePort();
        EXPECT_EQ(tower.kernelDriverBound(), !unbound) << step;
    }
}

// Another program holds the tower: five attempts half a second apart, and
// the one after it lets go opens.
TEST(USBTower, AHeldTowerIsTriedFiveTimesThenReportedAndOpensOnceLetGo)
{
    for (const auto& [letGoAtPause, result, pauses] : {std::tuple{0, kIOReturnExclusiveAccess, 4}, {2, 0, 2}}) {
        TowerTestbed bus;
        EmulatedTower& tower = bus.plug("1-3");
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

// A tower that answers a request with an error code: the open that sets the
// range fails, and so does the change to the fast line; each says which
// request the tower refused.
TEST(USBTower, ARefusedRequestFailsWithTheTowersErrorCodeAndSaysSo)
{
    TowerTestbed bus;
    EmulatedTower& tower = bus.plug("1-3");
    USBPort port;
    StdoutCapture output;
    tower.refuse(TowerRequests::setParameter, TowerRequests::badParameter);
    EXPECT_EQ(port.openPort("USB IR Tower"), TowerRequests::badParameter);
    EXPECT_TRUE(tower.kernelDriverBound()) << "given back";
    tower.refuse(TowerRequests::setParameter, 0);
    tower.refuse(TowerRequests::setReceiveSpeed, TowerRequests::badRequest);
    ASSERT_EQ(port.openPort("USB IR Tower"), 0);
    EXPECT_EQ(port.setLineSpeed(LineSpeed::fast), TowerRequests::badRequest);
    EXPECT_EQ(output.text(), "The tower refused request 0x02 with value 0x0202: error code 1\n"
                             "The tower refused request 0xF1 with value 0x0010: error code 255\n");
}

// The range chosen goes to the tower when it opens; the fast line has it
// short and both speeds 4800, and the normal line brings both back to 2400
// and the chosen range again.
TEST(USBTower, SetsTheChosenRangeAtOpenAndAgainAfterTheFastLine)
{
    const std::pair<TowerRange, std::uint8_t> ranges[] = {{TowerRange::shortRange, TowerRequests::shortRange},
        {TowerRange::mediumRange, TowerRequests::mediumRange}, {TowerRange::longRange, TowerRequests::longRange}};
    for (const auto& [range, code] : ranges) {
        TowerTestbed bus;
        EmulatedTower& tower = bus.plug("1-3");
        USBPort port;
        port.setTowerRange(range);
        ASSERT_EQ(port.openPort("USB IR Tower"), 0);
        const Settings chosen{TowerRequests::infraredMode, code};
        EXPECT_EQ(tower.settings(), chosen);
        ASSERT_EQ(port.setLineSpeed(LineSpeed::fast), 0);
        EXPECT_EQ(tower.settings(), (Settings{TowerRequests::infraredMode, TowerRequests::shortRange,
                                              TowerRequests::baud4800, TowerRequests::baud4800}));
        ASSERT_EQ(port.setLineSpeed(LineSpeed::normal), 0);
        EXPECT_EQ(tower.settings(), chosen);
    }
}

// Unplugged in the middle of a download, the tower fails the link at once;
// plugged back in, it opens again.
TEST(USBTower, AnUnpluggedTowerFailsTheDownloadAndOpensOncePluggedBackIn)
{
    USBBrick usb;
    RecordingFileOp fileOp;
    usb.tower.unplugAfter(100);
    EXPECT_NE(usb.controller.sendProgFile(INFRABRICK_RCX_FIXTURES "/tasks.rcx", fileOp), 0);
    EXPECT_EQ(fileOp.events.back().rfind("abort", 0), 0u);
    EXPECT_GE(usb.usb.listener.towerErrors, 1);
    EXPECT_EQ(usb.usb.open(), USBPort::noTowerAttached);
    usb.tower.plugIn();
    ASSERT_EQ(usb.usb.open(), 0);
    usb.brick.setBattery(7600);
    EXPECT_EQ(usb.controller.readBatteryLevel(), 7600);
}

// Towers are each listed by their place, a path opens the tower at its
// place (or the first for any other path), and two links drive two towers
// at the same time, each its own brick.
TEST(USBTower, SeveralTowersAreListedByTheirPlaceAndEachDrivenOnItsOwn)
{
    TowerTestbed bus;
    EmulatedTower& first = bus.plug("1-3");
    USBLink one, two;
    auto listing = [&] {
        std::vector<std::string> names;
        for (int index = 0, count = one.ports.findPorts(); index < count; ++index)
            names.push_back(one.ports.portNameAtIndex(index) + " at " + one.ports.portPathAtIndex(index));
        return names;
    };
    EXPECT_EQ(listing(), std::vector<std::string>{"USB IR Tower at USB IR Tower"});
    EmulatedTower& second = bus.plug("1-1.4");
    EXPECT_EQ(listing(), (std::vector<std::string>{"USB IR Tower (bus 1, port 1.4) at 1-1.4", "USB IR Tower (bus 1, port 3) at 1-3"}));
    for (const auto& [path, result] : {std::pair{"1-4", -1}, {"1-", 0}, {"1-3.x", 0}, {"-3", 0}, {"1-1.4", 0}}) {
        EXPECT_EQ(one.open(path), result) << path;
        EXPECT_EQ(first.kernelDriverBound() + second.kernelDriverBound(), result ? 2 : 1) << path;
    }
    EXPECT_FALSE(second.kernelDriverBound());
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
    EXPECT_EQ(std::pair(first.brick.history().size(), second.brick.history().size()), std::pair(20ul, 20ul));
}

} // namespace
