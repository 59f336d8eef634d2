// The application against infrabrick-sim as a process on its pseudo-terminal,
// found the way a user finds it: announced as a tower in the port menu.
#include "support/SimProcess.h"

#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "app/PreferencesPanel.h"
#include "app/TimeoutPanel.h"
#include "ui_MainWindow.h"
#include "views/LevelMeter.h"

#include <csignal>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class SimProcessTest : public ::testing::Test {
protected:
    SimProcessTest()
    {
        qputenv("XDG_RUNTIME_DIR", runtimeFolder.path().toUtf8());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
    }

    ~SimProcessTest() override { controller.reset(); }

    // Starts the virtual brick, announced as "Virtual RCX"; its terminal path.
    QString startSim()
    {
        sim = std::make_unique<SimProcess>(INFRABRICK_SIM, std::vector<std::string>{"--announce", "Virtual RCX"});
        return QString::fromStdString(sim->path());
    }

    QString control(const std::string& command) { return QString::fromStdString(sim->control(command)); }

    void killSim()
    {
        sim->signal(SIGKILL);
        ASSERT_TRUE(sim->wait().has_value());
    }

    void launch()
    {
        controller = std::make_unique<LegoController>(window);
        window.show();
        controller->applicationDidFinishLaunching();
        controller->timer().stop();
    }

    void ticks(int count)
    {
        for (int tick = 0; tick < count; ++tick)
            controller->doTime();
    }

    QTemporaryDir runtimeFolder;
    QTemporaryDir settingsFolder;
    std::unique_ptr<SimProcess> sim;
    MainWindow window;
    std::unique_ptr<LegoController> controller;
};

TEST_F(SimProcessTest, FirstStartReachesTheVirtualBrickInTwoClicks)
{
    ASSERT_TRUE(startSim().startsWith("/dev/"));
    ASSERT_EQ(control("battery 8250"), "ok");
    launch();
    PreferencesPanel& preferences = controller->preferencesPanel();
    ASSERT_TRUE(preferences.isVisible());
    QComboBox* ports = preferences.controls().prefsSerialPortMenu;
    int virtualRCX = ports->findText("Virtual RCX");
    ASSERT_GE(virtualRCX, 0);
    ports->setCurrentIndex(virtualRCX);
    QTest::mouseClick(preferences.controls().prefsOKButton, Qt::LeftButton);

    QSettings store("Infrabrick", "Infrabrick");
    EXPECT_EQ(store.value("Port Type").toString(), "Serial");
    EXPECT_EQ(store.value("Port Name").toString(), "Virtual RCX");
    EXPECT_EQ(store.value("Port Path").toString(), runtimeFolder.filePath("infrabrick/towers/Virtual RCX"));
    ticks(2);
    EXPECT_FLOAT_EQ(window.controls().battery->levelValue(), 8.25f);
    EXPECT_FALSE(controller->timeoutPanel().isVisible());
    EXPECT_FALSE(controller->towerErrorPanel().isVisible());
}

TEST_F(SimProcessTest, KilledBrickGivesTheTowerErrorSheetWhoseRetryReopensThePort)
{
    startSim();
    {
        QSettings store("Infrabrick", "Infrabrick");
        store.setValue("Port Type", "Serial");
        store.setValue("Port Name", "Virtual RCX");
        store.setValue("Port Path", runtimeFolder.filePath("infrabrick/towers/Virtual RCX"));
        store.setValue("Battery Check Time", 100);
        store.setValue("Battery Full Level", 9.6);
        store.setValue("Battery Empty Level", 6.6);
    }
    launch();
    ticks(3);
    ASSERT_FALSE(controller->timeoutPanel().isVisible());
    ASSERT_FALSE(controller->towerErrorPanel().isVisible());

    killSim();
    window.controls().updateWindowButton->click();
    ticks(1);
    // Depending on when the terminal's end is noticed, the brick is silent
    // or the tower fails; either way exactly one sheet comes up.
    TimeoutPanel& timeoutSheet = controller->timeoutPanel();
    TimeoutPanel& towerSheet = controller->towerErrorPanel();
    ASSERT_NE(timeoutSheet.isVisible(), towerSheet.isVisible());
    ticks(20);
    ASSERT_NE(timeoutSheet.isVisible(), towerSheet.isVisible());
    if (timeoutSheet.isVisible()) {
        // A retry on a dead terminal brings the tower error.
        QTest::mouseClick(timeoutSheet.controls().okButton, Qt::LeftButton);
        ticks(2);
    }
    ASSERT_TRUE(towerSheet.isVisible());

    startSim();
    QTest::mouseClick(towerSheet.controls().okButton, Qt::LeftButton);
    EXPECT_FALSE(towerSheet.isVisible());
    EXPECT_FALSE(controller->preferencesPanel().isVisible());
    EXPECT_EQ(controller->waitABitValue(), 3);
    ASSERT_EQ(control("battery 7100"), "ok");
    ticks(3);
    EXPECT_FLOAT_EQ(window.controls().battery->levelValue(), 7.1f);
    EXPECT_FALSE(towerSheet.isVisible());
    EXPECT_FALSE(timeoutSheet.isVisible());
}

} // namespace
