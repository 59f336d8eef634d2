// The window on LEGO USB IR Towers through the real libusb, on the emulated bus.
// Before Qt's headers, whose macros "slots" and "emit" the brick's own names would meet.
#include "support/USBBrick.h"

#include "support/AppFixture.h"
#include "WindowTest.h"

#include "ports/SerialPort.h"
#include "ports/USBPort.h"

namespace {

class USBWindowTest : public StartTest {
protected:
    // The window lets go of its tower before the bus goes.
    void TearDown() override { controller.reset(); }
    void launchOnUSB() { launch(std::make_unique<AllPorts>(std::make_unique<SerialPort>(), std::make_unique<USBPort>())); }
    QComboBox* menu(const char* name) { return named<QComboBox>(controller->preferencesPanel(), name); }
    void choosePort(const QString& name)
    {
        choose(menu("prefsSerialPortMenu"), menu("prefsSerialPortMenu")->findText(name));
        click(named<QPushButton>(controller->preferencesPanel(), "prefsOKButton"));
    }
    float batteryShown() { return named<LevelMeter>(window, "battery")->levelValue(); }
    void retry()
    {
        ASSERT_TRUE(controller->towerErrorPanel().isVisible());
        click(named<QPushButton>(controller->towerErrorPanel(), "okButton"));
        ticks(3);
        EXPECT_FALSE(controller->towerErrorPanel().isVisible() || controller->preferencesPanel().isVisible());
    }

    TowerTestbed bus;
    EmulatedTower& tower = bus.plug("1-3");
};

// A held or unplugged tower gives its sheet, and Retry reaches the brick once it is back.
TEST_F(USBWindowTest, AHeldOrUnpluggedTowerGivesItsSheetAndRetryReachesItAgain)
{
    savePort("USB", "USB IR Tower", "USB IR Tower");
    tower.holdElsewhere(true);
    launchOnUSB();
    ASSERT_TRUE(controller->preferencesPanel().isVisible()) << "the saved port failed";
    choosePort("USB IR Tower");
    tower.holdElsewhere(false);
    retry();

    tower.unplugAfter(200);
    controller->downloadFile(programFile);
    EXPECT_EQ(progressText(), "Error accessing IR tower");
    click(named<QPushButton>(progress(), "fileProgressOKButton"));
    named<QPushButton>(window, "updateWindowButton")->click(), ticks(1); // the next command
    tower.plugIn();
    tower.brick.setBattery(7700);
    retry();
    EXPECT_FLOAT_EQ(batteryShown(), 7.7f);
}

// Of two towers, the window keeps its own by its place and opens it again on the next start.
TEST_F(USBWindowTest, TheTowerChosenByItsPlaceAndItsRangeCarryThePollsAndAreSaved)
{
    EmulatedTower& second = bus.plug("1-4");
    tower.brick.setBattery(7000);
    second.brick.setBattery(9000);
    launchOnUSB();
    ASSERT_TRUE(controller->preferencesPanel().isVisible());
    EXPECT_EQ(menu("prefsTowerRangeMenu")->currentText(), "Medium");
    choose(menu("prefsTowerRangeMenu"), 2);
    choosePort("USB IR Tower (bus 1, port 4)");
    EXPECT_EQ(QStringList({settings().value("Port Type").toString(), settings().value("Port Name").toString(), settings().value("Port Path").toString(),
                           settings().value("USB Tower Range").toString(), status(window, "statusPort")}),
              QStringList({"USB", "USB IR Tower (bus 1, port 4)", "1-4", "Long", "Tower: USB IR Tower (bus 1, port 4)"}));
    ticks(3);
    EXPECT_FLOAT_EQ(batteryShown(), 9.0f);
    EXPECT_EQ(second.settings().range, TowerRequests::longRange);
    controller.reset();
    second.brick.setBattery(8500);
    launchOnUSB();
    ticks(3);
    EXPECT_FALSE(controller->preferencesPanel().isVisible() || controller->towerErrorPanel().isVisible());
    EXPECT_FLOAT_EQ(batteryShown(), 8.5f);
    controller->setPreferences(true);
    EXPECT_EQ(menu("prefsTowerRangeMenu")->currentText(), "Long");
}

} // namespace
