// The window on LEGO USB IR Towers through the real libusb, on the emulated
// bus: choosing a tower, losing it, a tower held elsewhere, and two towers.
// Before Qt's headers, whose macros "slots" and "emit" the brick's own names would meet.
#include "support/USBBrick.h"

#include "support/AppFixture.h"

#include "app/PreferencesPanel.h"
#include "app/TimeoutPanel.h"
#include "ports/SerialPort.h"
#include "ports/USBPort.h"
#include "views/LevelMeter.h"

#include <QComboBox>
#include <QPushButton>

#include <future>

namespace {

using Clock = std::chrono::steady_clock;

class USBWindowTest : public StartTest {
protected:
    // The window lets go of its tower before the bus goes.
    void TearDown() override { controller.reset(); }
    void launchOnUSB()
    {
        launch(std::make_unique<AllPorts>(std::make_unique<SerialPort>(), std::make_unique<USBPort>()));
    }
    QComboBox* portMenu() { return named<QComboBox>(controller->preferencesPanel(), "prefsSerialPortMenu"); }
    void choosePort(const QString& name)
    {
        choose(portMenu(), portMenu()->findText(name));
        click(named<QPushButton>(controller->preferencesPanel(), "prefsOKButton"));
    }
    float batteryShown() { return named<LevelMeter>(window, "battery")->levelValue(); }

    TowerTestbed bus;
    EmulatedTower& tower = bus.plug(3);
};

TEST_F(USBWindowTest, TheTowerChosenInThePreferencesCarriesThePollsAndIsSaved)
{
    launchOnUSB();
    ASSERT_TRUE(controller->preferencesPanel().isVisible());
    tower.brick.setBattery(8200);
    choosePort("USB IR Tower");
    ticks(3);
    EXPECT_FLOAT_EQ(batteryShown(), 8.2f);
    EXPECT_EQ(settings().value("Port Type").toString() + " " + settings().value("Port Path").toString(), "USB USB IR Tower");
    EXPECT_EQ(status(window, "statusPort"), "Tower: USB IR Tower");
    EXPECT_FALSE(tower.kernelDriverBound());
}

// Unplugged in the middle of a download: the transfer fails with the
// tower's message, the tower's sheet follows, and once it is plugged back
// in, Retry reaches the brick again.
TEST_F(USBWindowTest, AnUnpluggedTowerGivesItsSheetAndRetryReachesItPluggedBackIn)
{
    savePort("USB", "USB IR Tower", "USB IR Tower");
    launchOnUSB();
    ticks(3);
    tower.unplugWhen([](const Bytes& written) { return written.size() > 200; });
    controller->downloadFile(programFile);
    EXPECT_EQ(progressText(), "Error accessing IR tower");
    EXPECT_TRUE(named<QPushButton>(progress(), "fileProgressOKButton")->isEnabled());
    click(named<QPushButton>(progress(), "fileProgressOKButton"));
    named<QPushButton>(window, "updateWindowButton")->click(), ticks(1); // the next command
    ASSERT_TRUE(controller->towerErrorPanel().isVisible());
    EXPECT_EQ(controller->towerErrorPanel().windowTitle(), "IR Tower Not Usable");
    tower.plugIn();
    tower.brick.setBattery(7700);
    click(named<QPushButton>(controller->towerErrorPanel(), "okButton"));
    ticks(3);
    EXPECT_FALSE(controller->towerErrorPanel().isVisible() || controller->preferencesPanel().isVisible());
    EXPECT_FLOAT_EQ(batteryShown(), 7.7f);
}

// A tower another program holds is tried five times, half a second apart,
// before the tower's sheet; once let go, Retry opens it.
TEST_F(USBWindowTest, AHeldTowerIsTriedFiveTimesThenGivesItsSheet)
{
    savePort("USB", "USB IR Tower", "USB IR Tower");
    tower.holdElsewhere(true);
    launchOnUSB();
    ASSERT_TRUE(controller->preferencesPanel().isVisible()) << "the saved port failed";
    const Clock::time_point start = Clock::now();
    choosePort("USB IR Tower");
    EXPECT_GE(Clock::now() - start, 4 * USBPort::retryPause);
    ASSERT_TRUE(controller->towerErrorPanel().isVisible());
    EXPECT_EQ(status(window, "statusBrick"), "IR tower not usable");
    tower.holdElsewhere(false);
    click(named<QPushButton>(controller->towerErrorPanel(), "okButton"));
    ticks(3);
    EXPECT_FALSE(controller->towerErrorPanel().isVisible() || controller->preferencesPanel().isVisible());
}

// With two towers each is listed by its place; the window keeps the one
// chosen, by its place, and opens it again on the next start, while
// another program drives the other at the same time.
TEST_F(USBWindowTest, OfTwoTowersTheWindowKeepsItsOwnByItsPlaceWhileAnotherProgramDrivesTheOther)
{
    EmulatedTower& second = bus.plug(4);
    tower.brick.setBattery(7000);
    second.brick.setBattery(9000);
    launchOnUSB();
    EXPECT_GE(portMenu()->findText("USB IR Tower (bus 1, port 3)"), 0);
    choosePort("USB IR Tower (bus 1, port 4)");
    EXPECT_EQ(settings().value("Port Name").toString() + " at " + settings().value("Port Path").toString(),
              "USB IR Tower (bus 1, port 4) at 1-4");
    USBLink other;
    ASSERT_EQ(other.open("1-3"), 0);
    auto polls = std::async(std::launch::async, [&] {
        std::vector<int> levels;
        for (int poll = 0; poll < 10; ++poll)
            levels.push_back(other.controller.readBatteryLevel());
        return levels;
    });
    ticks(3);
    EXPECT_EQ(polls.get(), std::vector<int>(10, 7000));
    EXPECT_FLOAT_EQ(batteryShown(), 9.0f);
    controller.reset();
    second.brick.setBattery(8500);
    launchOnUSB();
    ticks(3);
    EXPECT_FALSE(controller->preferencesPanel().isVisible() || controller->towerErrorPanel().isVisible());
    EXPECT_FLOAT_EQ(batteryShown(), 8.5f);
}

} // namespace
