// The application controller driving the real window, offscreen, against the
// virtual brick as a program of its own on its pseudo-terminal, reached
// through the serial port the way a user reaches it: start-up and
// preferences, polling by tick, direct control, file operations and the
// error sheets. The brick is set up and looked at through its control
// language.
#include "SimBrick.h"

#include "app/DatalogPanel.h"
#include "app/DynamicSensorPanel.h"
#include "app/FileProgressPanel.h"
#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "app/PreferencesPanel.h"
#include "app/TimeoutPanel.h"
#include "models/Variables.h"
#include "ports/SerialPort.h"
#include "support/QtPrinters.h"
#include "ui_MainWindow.h"
#include "views/DatalogLevel.h"
#include "views/DropBox.h"

#include <QDir>
#include <QJsonArray>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <ctime>
#include <functional>

namespace {

using Command = SimBrick::Command;

const QString towerName = QStringLiteral("Virtual RCX");

// A USB tower that is listed but not plugged in: the port that fails.
class AbsentTower : public NoPort {
public:
    int findPorts() override { return 1; }
    std::string portNameAtIndex(int) override { return "USB IR Tower"; }
    std::string portPathAtIndex(int) override { return "usb"; }
};

// A runtime folder of the test's own, where the brick announces itself and
// the application looks for it; set before the brick starts.
struct RuntimeFolder {
    RuntimeFolder() { qputenv("XDG_RUNTIME_DIR", folder.path().toUtf8()); }
    QTemporaryDir folder;
};

// A temporary folder of the test's own, where the application puts its
// temporary files while it lives.
struct TemporaryFolder {
    TemporaryFolder() { qputenv("TMPDIR", folder.path().toUtf8()); }
    ~TemporaryFolder() { qputenv("TMPDIR", saved); }
    const QByteArray saved = qgetenv("TMPDIR");
    QTemporaryDir folder;
};

// The command that sets the brick's watch to the local time at `when`.
Command watchCommandAt(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    return {0x22, static_cast<std::uint8_t>(local.tm_hour), static_cast<std::uint8_t>(local.tm_min)};
}

// The code of a task as the brick holds it, in hex; empty when none.
QString taskCode(const QJsonObject& state, int slot, int task)
{
    return state["programs"][slot - 1]["tasks"][QString::number(task)].toString();
}

class ControllerTest : public ::testing::Test {
protected:
    ControllerTest() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path()); }

    void SetUp() override { ASSERT_TRUE(brick.terminalPath().startsWith("/dev/")) << brick.terminalPath().toStdString(); }

    QSettings settings() { return QSettings("Infrabrick", "Infrabrick"); }

    void savePort(int batteryTime = 100, int inputTime = 10, int datalogTime = 20)
    {
        QSettings store = settings();
        store.setValue(LegoController::portTypeKey, "Serial");
        store.setValue(LegoController::portNameKey, towerName);
        store.setValue(LegoController::portPathKey, brick.towerPath());
        store.setValue(LegoController::batteryTimeKey, batteryTime);
        store.setValue(LegoController::inputTimeKey, inputTime);
        store.setValue(LegoController::datalogTimeKey, datalogTime);
        store.setValue(LegoController::batteryFullKey, 9.6);
        store.setValue(LegoController::batteryEmptyKey, 6.6);
    }

    // Starts the application on this machine's serial lines, which list the
    // announced brick; ticks are then given by hand.
    void launch()
    {
        controller = std::make_unique<LegoController>(
            window, std::make_unique<AllPorts>(std::make_unique<SerialPort>(), std::make_unique<AbsentTower>()));
        window.show();
        controller->applicationDidFinishLaunching();
        ASSERT_TRUE(controller->timer().isActive());
        EXPECT_EQ(controller->timer().interval(), 100);
        controller->timer().stop();
    }

    // Launches with a saved port and lets the first refresh happen.
    void launchRefreshed()
    {
        savePort();
        launch();
        ticks(3);
        commands();
    }

    void ticks(int count)
    {
        for (int tick = 0; tick < count; ++tick)
            controller->doTime();
    }

    // The commands the brick heard since the last call.
    std::vector<Command> commands() { return brick.commands(); }

    std::vector<int> opcodes()
    {
        std::vector<int> heard;
        for (const Command& command : commands())
            heard.push_back(command[0]);
        return heard;
    }

    // The opcode of the first command heard since the last call; -1 for none.
    int firstOpcode()
    {
        const std::vector<int> heard = opcodes();
        return heard.empty() ? -1 : heard.front();
    }

    Ui::LocalizableMainWindow& ui() { return window.controls(); }

    RuntimeFolder runtime;
    QTemporaryDir settingsFolder;
    SimBrick brick{towerName};
    MainWindow window;
    std::unique_ptr<LegoController> controller;
};

// ---- start-up and preferences ----------------------------------------------

TEST_F(ControllerTest, FirstStartAsksForPreferencesAndSendsNothingUntilOK)
{
    launch();
    PreferencesPanel& preferences = controller->preferencesPanel();
    ASSERT_TRUE(preferences.isVisible());
    EXPECT_FALSE(preferences.controls().prefsCancelButton->isEnabled());
    ticks(20);
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(controller->timeCountValue(), 0);

    auto& prefs = preferences.controls();
    // The machine's own serial lines, then the announced brick, then the USB
    // tower.
    QComboBox* ports = prefs.prefsSerialPortMenu;
    ASSERT_GE(ports->count(), 2);
    EXPECT_EQ(ports->itemText(ports->count() - 2), towerName);
    EXPECT_EQ(ports->itemText(ports->count() - 1), "USB IR Tower");
    EXPECT_EQ(prefs.prefsDatalogFilenameField->text(), "datalog %H-%M-%S.txt");
    ports->setCurrentIndex(ports->findText(towerName));
    prefs.prefsSyncWatch->setChecked(true);
    ASSERT_EQ(brick.control("battery 8000"), "ok");
    QTest::mouseClick(prefs.prefsOKButton, Qt::LeftButton);
    EXPECT_FALSE(preferences.isVisible());

    QSettings store = settings();
    EXPECT_EQ(store.value("Port Type").toString(), "Serial");
    EXPECT_EQ(store.value("Port Name").toString(), towerName);
    EXPECT_EQ(store.value("Port Path").toString(), brick.towerPath());
    EXPECT_EQ(store.value("Synchronise Watch").toBool(), true);
    EXPECT_EQ(store.value("Battery Check Time").toInt(), 100);
    EXPECT_EQ(store.value("Battery Check Selection").toString(), "Every 10 seconds");
    EXPECT_EQ(store.value("Input Check Time").toInt(), 10);
    EXPECT_EQ(store.value("Input Check Selection").toString(), "Every second");
    EXPECT_EQ(store.value("Datalog Check Time").toInt(), 20);
    EXPECT_EQ(store.value("Battery Type").toString(), "Alkaline");
    EXPECT_EQ(store.value("RCX Type").toString(), "RCX 1.0");
    EXPECT_DOUBLE_EQ(store.value("Battery Full Level").toDouble(), 9.6);
    EXPECT_DOUBLE_EQ(store.value("Battery Empty Level").toDouble(), 6.6);
    EXPECT_EQ(store.value("Datalog Filename").toString(), "datalog %H-%M-%S.txt");

    ticks(1);
    EXPECT_TRUE(commands().empty());
    const std::time_t before = std::time(nullptr);
    ticks(1);
    const std::time_t after = std::time(nullptr);
    std::vector<Command> heard = commands();
    ASSERT_GE(heard.size(), 2u);
    EXPECT_EQ(heard[0], Command{0x30});
    // The minute may turn during the tick.
    EXPECT_TRUE(heard[1] == watchCommandAt(before) || heard[1] == watchCommandAt(after))
        << int(heard[1][1]) << ":" << int(heard[1][2]);
    EXPECT_FLOAT_EQ(ui().battery->levelValue(), 8.0f);
    EXPECT_FLOAT_EQ(ui().battery->maxLevelValue(), 9.6f);
    EXPECT_FLOAT_EQ(ui().battery->minLevelValue(), 6.6f);
    EXPECT_FALSE(controller->timeoutPanel().isVisible());
    EXPECT_FALSE(controller->towerErrorPanel().isVisible());
}

TEST_F(ControllerTest, PreferencesShowTheSavedChoices)
{
    savePort();
    {
        QSettings store = settings();
        store.setValue("Battery Check Selection", "Every minute");
        store.setValue("Battery Type", "Lithium");
        store.setValue("RCX Type", "RCX 2.0");
        store.setValue("Datalog Filename", "");
    }
    launch();
    controller->setPreferences(true);
    auto& prefs = controller->preferencesPanel().controls();
    EXPECT_TRUE(prefs.prefsCancelButton->isEnabled());
    EXPECT_EQ(prefs.prefsBatteryRateMenu->currentText(), "Every minute");
    EXPECT_EQ(prefs.prefsBatteryRateMenu->currentData().toInt(), 600);
    EXPECT_EQ(prefs.prefsBatteryTypeMenu->currentData().toString(), "Lithium");
    EXPECT_EQ(prefs.prefsRCXTypeMenu->currentText(), "RCX 2.0");
    EXPECT_EQ(prefs.prefsDatalogFilenameField->text(), "datalog %H-%M-%S.txt");
    // A rate of half a second would never reach the battery or sensor 3.
    EXPECT_EQ(prefs.prefsBatteryRateMenu->findData(5), -1);
    EXPECT_EQ(prefs.prefsInputRateMenu->findData(5), -1);
    EXPECT_GE(prefs.prefsDatalogRateMenu->findData(5), 0);
    EXPECT_EQ(prefs.prefsBatteryRateMenu->itemData(0).toInt(), 0);

    prefs.prefsBatteryRateMenu->setCurrentIndex(0); // Never
    QTest::mouseClick(prefs.prefsOKButton, Qt::LeftButton);
    QSettings store = settings();
    EXPECT_EQ(store.value("Battery Check Time").toInt(), 0);
    EXPECT_EQ(store.value("Battery Check Selection").toString(), "Never");
    EXPECT_EQ(store.value("Datalog Filename").toString(), "datalog %H-%M-%S.txt");
    EXPECT_DOUBLE_EQ(store.value("Battery Full Level").toDouble(), 10.8);
}

TEST_F(ControllerTest, PreferencesWithAPortThatFailsGiveTheTowerErrorSheet)
{
    launchRefreshed();
    controller->setPreferences(true);
    auto& prefs = controller->preferencesPanel().controls();
    prefs.prefsSerialPortMenu->setCurrentIndex(prefs.prefsSerialPortMenu->findText("USB IR Tower"));
    QTest::mouseClick(prefs.prefsOKButton, Qt::LeftButton);
    TimeoutPanel& sheet = controller->towerErrorPanel();
    ASSERT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.windowTitle(), "IR Tower Not Usable");
    EXPECT_FALSE(sheet.controls().firmwareButton->isVisible());
    EXPECT_FALSE(controller->showErrorsValue());
    EXPECT_EQ(settings().value("Port Name").toString(), towerName);
    ticks(10);
    EXPECT_TRUE(commands().empty());

    // Retry reopens the port saved before.
    QTest::mouseClick(sheet.controls().okButton, Qt::LeftButton);
    EXPECT_EQ(controller->waitABitValue(), 3);
    ticks(3);
    EXPECT_EQ(firstOpcode(), 0x30);
}

TEST_F(ControllerTest, CancelledPreferencesStoreNothing)
{
    launchRefreshed();
    controller->setPreferences(true);
    auto& prefs = controller->preferencesPanel().controls();
    prefs.prefsSyncWatch->setChecked(true);
    ticks(10);
    EXPECT_TRUE(commands().empty());
    QTest::mouseClick(prefs.prefsCancelButton, Qt::LeftButton);
    EXPECT_FALSE(settings().contains("Synchronise Watch"));
    EXPECT_TRUE(controller->showErrorsValue());
}

// ---- polling -----------------------------------------------------------------

TEST_F(ControllerTest, SavedPortRefreshesOnTheThirdTick)
{
    savePort();
    launch();
    EXPECT_EQ(controller->waitABitValue(), 3);
    ticks(2);
    EXPECT_TRUE(commands().empty());
    ticks(1);
    std::vector<int> heard = opcodes();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard[0], 0x30);
    // The "Test" tab: three output reads, then two reads per sensor.
    EXPECT_EQ(std::count(heard.begin(), heard.end(), 0x12), 9);
    EXPECT_EQ(controller->timeCountValue(), 0);
    ticks(1);
    EXPECT_EQ(controller->timeCountValue(), 1);
}

TEST_F(ControllerTest, PollsRunOnTheirTicks)
{
    launchRefreshed();
    // Sensors with a type, so that their values are read.
    for (QComboBox* type : {ui().sensor1TypeButton, ui().sensor2TypeButton, ui().sensor3TypeButton})
        type->setCurrentIndex(3);
    commands();
    std::map<int, std::vector<Command>> byTick;
    for (int tick = 1; tick <= 110; ++tick) {
        ticks(1);
        std::vector<Command> heard = commands();
        if (!heard.empty())
            byTick[tick] = heard;
    }
    std::map<int, std::vector<Command>> expected;
    for (int tens = 0; tens < 110; tens += 10)
        for (int sensor = 0; sensor < 3; ++sensor)
            expected[tens + 2 + 2 * sensor] = {{0x12, 9, static_cast<std::uint8_t>(sensor)}};
    expected[8] = {{0x30}};
    expected[108] = {{0x30}};
    EXPECT_EQ(byTick, expected);
}

TEST_F(ControllerTest, SensorWithoutTypeShowsNothingAndSendsNothing)
{
    launchRefreshed();
    ui().sensor1Value->setText("stale");
    ticks(7); // up to the battery's tick
    EXPECT_EQ(ui().sensor1Value->text(), "");
    EXPECT_TRUE(commands().empty());
}

TEST_F(ControllerTest, TabsDecideWhatIsRead)
{
    launchRefreshed();
    ui().theTabs->setCurrentIndex(1); // Run
    std::vector<Command> run = commands();
    ASSERT_EQ(run.size(), 1u);
    EXPECT_EQ(run[0], (Command{0x12, 8, 0}));
    EXPECT_FALSE(ui().datalog->isMeterVisible());

    ui().theTabs->setCurrentIndex(2); // Memory
    std::vector<Command> memory = commands();
    ASSERT_EQ(memory.size(), 1u);
    EXPECT_EQ(memory[0], Command{0x20});
    ticks(30);
    // No sensors and no messages on the "Memory" tab: only the battery.
    std::vector<int> heard = opcodes();
    EXPECT_TRUE(std::all_of(heard.begin(), heard.end(), [](int opcode) { return opcode == 0x30; }));
}

TEST_F(ControllerTest, ThreeBrickMessagesAppearAsThreeLines)
{
    launchRefreshed();
    ui().theTabs->setCurrentIndex(1);
    for (const char* message : {"message 7", "message 42", "message 255"})
        ASSERT_EQ(brick.control(message), "ok");
    int before = controller->messageNumValue();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        ticks(3);
        return controller->messageNumValue() == before + 3;
    }));
    EXPECT_EQ(ui().messages->toPlainText(), "7\n42\n255");
}

TEST_F(ControllerTest, MessageLogResumesAfterMissedMessages)
{
    launchRefreshed();
    ui().theTabs->setCurrentIndex(1);
    ui().theTabs->setCurrentIndex(0); // no message polls until all have come
    constexpr int sent = RCXPacket::messageCapacity + 5;
    for (int message = 0; message < sent; ++message)
        ASSERT_EQ(brick.control(QString("message %1").arg(message % 256)), "ok");
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->controller().getMessage(sent - 1, 0.0f) >= 0; }, 20000));
    ui().theTabs->setCurrentIndex(1);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        ticks(3);
        return controller->messageNumValue() == sent;
    }, 20000));
    QStringList lines = ui().messages->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 1 + RCXPacket::messageCapacity);
    EXPECT_EQ(lines[0], "(5 messages missed)");
    EXPECT_EQ(lines[1], "5");
    EXPECT_EQ(lines.last(), QString::number((sent - 1) % 256));
}

// ---- direct control ----------------------------------------------------------

TEST_F(ControllerTest, OutputActionsSendTheirCommands)
{
    launchRefreshed();
    // Direction while the output is off: sent, and the gear stays still.
    ui().outputADirButton->click();
    EXPECT_EQ(commands(), (std::vector<Command>{{0xE1, 0x01}}));
    EXPECT_EQ(controller->outputDirection(0), 0);

    QTest::mouseClick(ui().outputAStopGoButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0x21, 0x81}}));
    EXPECT_EQ(controller->outputDirection(0), -1);

    ui().outputADirButton->click();
    EXPECT_EQ(commands(), (std::vector<Command>{{0xE1, 0x81}}));
    EXPECT_EQ(controller->outputDirection(0), 1);

    ui().outputCPowerButton->setValue(3);
    EXPECT_EQ(commands(), (std::vector<Command>{{0x13, 0x04, 2, 2}}));

    // The remote's buttons run their motor while held, as on the brick's own
    // remote.
    QTest::mousePress(ui().outputBFwdButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0xD2, 0x00, 0x10}}));
    EXPECT_EQ(brick.state()["outputs"][1]["state"], "on");
    QTest::mouseRelease(ui().outputBFwdButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0xD2, 0x00, 0x00}}));
    EXPECT_NE(brick.state()["outputs"][1]["state"], "on");
    QTest::mouseClick(ui().outputCRevButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0xD2, 0x01, 0x00}, {0xD2, 0x00, 0x00}}));

    QTest::mouseClick(ui().outputAStopGoButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0x21, 0x41}}));
    EXPECT_EQ(controller->outputDirection(0), 0);
}

TEST_F(ControllerTest, BrickWideActions)
{
    launchRefreshed();
    QTest::mouseClick(ui().beepButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0xD2, 0, 0}, {0xD2, 0x80, 0}}));

    QTest::mouseClick(ui().outputBStopGoButton, Qt::LeftButton);
    ui().runStopButton->setChecked(true);
    commands();
    QTest::mouseClick(ui().emergencyStopButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0xD2, 0, 0}, {0xD2, 0x40, 0}}));
    EXPECT_FALSE(ui().outputBStopGoButton->isChecked());
    EXPECT_FALSE(ui().runStopButton->isChecked());
    EXPECT_EQ(controller->outputDirection(1), 0);

    ui().message3->setValue(99);
    QTest::mouseClick(ui().send3Button, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0xF7, 99}}));
}

TEST_F(ControllerTest, UpdateWindowRefreshesOnTheNextTick)
{
    launchRefreshed();
    ticks(1);
    commands();
    QTest::mouseClick(ui().updateWindowButton, Qt::LeftButton);
    EXPECT_TRUE(commands().empty()) << "nothing until the tick";
    ticks(1);
    const std::vector<int> heard = opcodes();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard[0], 0x30) << "the battery first";
    EXPECT_EQ(std::count(heard.begin(), heard.end(), 0x12), 9) << "outputs and sensors of the Test tab";
}

TEST_F(ControllerTest, PowerOffSwitchesTheBrickOff)
{
    launchRefreshed();
    QTest::mouseClick(ui().powerOffButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0x60}}));
    EXPECT_EQ(brick.state()["power"].toString(), "off");
}

TEST_F(ControllerTest, SensorTypeSelectsItsDefaultModeWithoutSendingIt)
{
    launchRefreshed();
    QComboBox* type = ui().sensor2TypeButton;
    QTest::keyClick(type, Qt::Key_Down); // "Touch"
    ASSERT_EQ(type->currentIndex(), 1);
    EXPECT_EQ(commands(), (std::vector<Command>{{0x32, 1, 1}}));
    EXPECT_EQ(ui().sensor2ModeButton->currentIndex(), 1);
    QTest::keyClick(type, Qt::Key_Down); // "Temperature"
    EXPECT_EQ(commands(), (std::vector<Command>{{0x32, 1, 2}}));
    EXPECT_EQ(ui().sensor2ModeButton->currentIndex(), 5);
    EXPECT_EQ(controller->sensorModeStoreValue(2), 5);
}

TEST_F(ControllerTest, DynamicModeSheet)
{
    launchRefreshed();
    QComboBox* mode = ui().sensor1ModeButton;
    mode->setCurrentIndex(4);
    emit mode->activated(4);
    EXPECT_EQ(commands(), (std::vector<Command>{{0x42, 0, 4 << 5}}));

    // Cancel: back to the mode shown before, nothing sent.
    mode->setCurrentIndex(8);
    emit mode->activated(8);
    DynamicSensorPanel& sheet = controller->dynamicSensorPanel();
    ASSERT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.controls().dynamicSensorNumber->value(), 1);
    EXPECT_EQ(sheet.controls().dynamicSensorModeMenu->currentIndex(), 4);
    QTest::mouseClick(sheet.controls().cancelButton, Qt::LeftButton);
    EXPECT_EQ(mode->currentIndex(), 4);
    EXPECT_TRUE(commands().empty());

    // OK with a slope: the menu stays on item 8. The brick keeps five bits
    // of slope, so a typed 40 is not taken: the last digit is refused.
    mode->setCurrentIndex(8);
    emit mode->activated(8);
    sheet.controls().dynamicSensorModeMenu->setCurrentIndex(2);
    QSpinBox* slope = sheet.controls().dynamicSensorSlope;
    slope->selectAll();
    QTest::keyClicks(slope, "40");
    EXPECT_EQ(slope->value(), 4);
    QTest::mouseClick(sheet.controls().okButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0x42, 0, (2 << 5) | 4}}));
    EXPECT_EQ(mode->currentIndex(), 8);
    EXPECT_EQ(controller->sensorModeStoreValue(1), 10);
    EXPECT_EQ(controller->sensorSlopeStoreValue(1), 4);

    // Reopened: the stored mode and slope; cancelled, it stays on item 8.
    emit mode->activated(8);
    EXPECT_EQ(sheet.controls().dynamicSensorModeMenu->currentIndex(), 2);
    EXPECT_EQ(sheet.controls().dynamicSensorSlope->value(), 4);
    QTest::mouseClick(sheet.controls().cancelButton, Qt::LeftButton);
    EXPECT_EQ(mode->currentIndex(), 8);

    // OK with slope 0 acts as choosing the mode from the menu.
    emit mode->activated(8);
    sheet.controls().dynamicSensorModeMenu->setCurrentIndex(6);
    sheet.controls().dynamicSensorSlope->setValue(0);
    QTest::mouseClick(sheet.controls().okButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0x42, 0, 6 << 5}}));
    EXPECT_EQ(mode->currentIndex(), 6);
}

TEST_F(ControllerTest, SlotRunAndStopSwitchTheirPolls)
{
    launchRefreshed();
    ui().theTabs->setCurrentIndex(1);
    commands();
    QTest::mouseClick(ui().progNumButton->button(3), Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0x91, 2}}));
    EXPECT_FALSE(ui().runStopButton->isChecked());
    EXPECT_EQ(ui().theButton->text(), "Download...");

    QTest::mouseClick(ui().runStopButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0x71, 0}}));
    ticks(100);
    std::vector<int> running = opcodes();
    EXPECT_EQ(std::count(running.begin(), running.end(), 0x30), 0) << "no battery poll while running";

    QTest::mouseClick(ui().runStopButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0x50}}));
    ticks(100);
    std::vector<int> stopped = opcodes();
    EXPECT_EQ(std::count(stopped.begin(), stopped.end(), 0x30), 1);
}

TEST_F(ControllerTest, DatalogIsPolledOnTheRunTabWhileNoProgramRuns)
{
    launchRefreshed(); // datalog every 2 seconds
    controller->clear();
    controller->datalogPanel().controls().theValueField->setValue(40);
    QTest::mouseClick(controller->datalogPanel().controls().okButton, Qt::LeftButton);
    ASSERT_EQ(brick.control("datalog add 0 123"), "ok");
    ui().theTabs->setCurrentIndex(1);
    EXPECT_TRUE(ui().datalog->isMeterVisible());
    commands();
    ticks(40);
    std::vector<Command> heard = commands();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), Command{0xA4, 0, 0, 1, 0}), 2);
    EXPECT_FLOAT_EQ(ui().datalog->levelValue(), 2.0f);
    EXPECT_FLOAT_EQ(ui().datalog->maxLevelValue(), 40.0f);

    QTest::mouseClick(ui().runStopButton, Qt::LeftButton);
    commands();
    ticks(40);
    heard = commands();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), Command{0xA4, 0, 0, 1, 0}), 0);
}

// ---- file operations and error sheets ----------------------------------------

TEST_F(ControllerTest, DatalogSavedToAFile)
{
    launchRefreshed();
    controller->clear();
    controller->datalogPanel().controls().theValueField->setValue(10);
    QTest::mouseClick(controller->datalogPanel().controls().okButton, Qt::LeftButton);
    ASSERT_EQ(brick.control("datalog add 0 77"), "ok");
    QString path = settingsFolder.filePath("datalog.txt");
    controller->uploadFile(path);
    EXPECT_FALSE(controller->fileProgressPanel().isVisible());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(file.readAll()).contains("77")) << path.toStdString();
}

// A full disk: the lines of a short datalog fail when the file is closed,
// those of a long one while they are written, which ends the upload there.
// Either way the save fails with a message naming the file, and no success
// sound is played.
TEST_F(ControllerTest, DatalogSavedOnAFullDiskFails)
{
    launchRefreshed();
    FileProgressPanel& progress = controller->fileProgressPanel();
    const struct {
        int entries;
        long uploads; // at most
    } cases[] = {{2, 2}, {400, 20}};
    for (const auto [entries, uploads] : cases) {
        SCOPED_TRACE(entries);
        controller->clear();
        controller->datalogPanel().controls().theValueField->setValue(entries);
        QTest::mouseClick(controller->datalogPanel().controls().okButton, Qt::LeftButton);
        for (int entry = 0; entry < entries; ++entry)
            ASSERT_EQ(brick.control("datalog add 0 12345"), "ok");
        commands();
        controller->uploadFile("/dev/full");
        ASSERT_TRUE(progress.isVisible());
        EXPECT_EQ(progress.controls().fileProgressText->text(), "Error writing file \"full\"");
        EXPECT_TRUE(progress.controls().fileProgressOKButton->isEnabled());
        const std::vector<int> heard = opcodes();
        EXPECT_LE(std::count(heard.begin(), heard.end(), 0xA4), uploads);
        EXPECT_EQ(std::count(heard.begin(), heard.end(), 0x51), 0);
        QTest::mouseClick(progress.controls().fileProgressOKButton, Qt::LeftButton);
    }
}

// A drag of the datalog meter crosses the drop box around it; a drag that
// no target takes uploads nothing and leaves no file. A target that asks for
// the text gets the datalog, uploaded then.
TEST_F(ControllerTest, TheDatalogIsUploadedOnlyWhenADropTargetAsks)
{
    const TemporaryFolder temporary;
    launchRefreshed();
    controller->clear();
    controller->datalogPanel().controls().theValueField->setValue(10);
    QTest::mouseClick(controller->datalogPanel().controls().okButton, Qt::LeftButton);
    ASSERT_EQ(brick.control("datalog add 0 77"), "ok");
    commands();

    const std::unique_ptr<QMimeData> data(ui().datalog->dragData());
    DropBox* box = ui().dropBox;
    QDragEnterEvent enter(box->rect().center(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDragLeaveEvent leave;
    QApplication::sendEvent(box, &leave);
    EXPECT_TRUE(commands().empty());
    EXPECT_TRUE(QDir(temporary.folder.path()).isEmpty());

    EXPECT_EQ(data->data("text/plain"), "Variable 0\t77\n");
    const std::vector<int> heard = opcodes();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), 0xA4), 2) << "the header and one block";
}

TEST_F(ControllerTest, DatalogSizeSheet)
{
    launchRefreshed();
    DatalogPanel& sheet = controller->datalogPanel();
    controller->clear();
    ASSERT_TRUE(sheet.isVisible());
    QTest::mouseClick(sheet.controls().cancelButton, Qt::LeftButton);
    EXPECT_TRUE(commands().empty());

    controller->clear();
    sheet.controls().theValueField->setValue(50);
    QTest::mouseClick(sheet.controls().okButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0x52, 50, 0}}));
    EXPECT_TRUE(ui().datalog->isMeterVisible());

    controller->clear();
    sheet.controls().theValueField->setValue(0);
    QTest::mouseClick(sheet.controls().okButton, Qt::LeftButton);
    EXPECT_EQ(commands(), (std::vector<Command>{{0x52, 0, 0}}));
    EXPECT_FALSE(ui().datalog->isMeterVisible());
}

TEST_F(ControllerTest, RefusedDatalogSizeResumesPollingAfterOK)
{
    launchRefreshed();
    DatalogPanel& sheet = controller->datalogPanel();
    controller->clear();
    sheet.controls().theValueField->setValue(30000);
    QTest::mouseClick(sheet.controls().okButton, Qt::LeftButton);
    FileProgressPanel& progress = controller->fileProgressPanel();
    ASSERT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.controls().fileProgressText->text(), "RCX memory full");
    EXPECT_TRUE(progress.controls().fileProgressOKButton->isEnabled());
    commands();
    ticks(10);
    EXPECT_TRUE(commands().empty());

    // The brick refused, the link works: after OK polling goes on, with a
    // refresh, and no tower-error sheet comes up.
    QTest::mouseClick(progress.controls().fileProgressOKButton, Qt::LeftButton);
    EXPECT_EQ(controller->waitABitValue(), 2);
    ticks(2);
    EXPECT_EQ(firstOpcode(), 0x30);
    EXPECT_FALSE(controller->towerErrorPanel().isVisible());
    EXPECT_TRUE(controller->showErrorsValue());
}

TEST_F(ControllerTest, NoPollsWhileATransfersSheetIsUp)
{
    // Ticks can come while the sheet is being put on screen, before the
    // transfer holds the loop: the transfer has the brick then.
    launchRefreshed();
    FileProgressPanel& progress = controller->fileProgressPanel();
    progress.showStart("Downloading file \"tasks.rcx\"");
    progress.open();
    ticks(30);
    EXPECT_TRUE(commands().empty());
    progress.accept();
    ticks(30);
    EXPECT_FALSE(commands().empty());
}

TEST_F(ControllerTest, SilentBrickGivesOneTimeoutSheetAndRetryResumes)
{
    launchRefreshed();
    ASSERT_EQ(brick.control("silent on"), "ok");
    ticks(8); // the battery poll of tick 8
    TimeoutPanel& sheet = controller->timeoutPanel();
    ASSERT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.windowTitle(), "Brick Not Reachable");
    EXPECT_EQ(controller->waitABitValue(), -1);
    QSignalSpy opened(&sheet, &QDialog::finished);
    ticks(30);
    EXPECT_FALSE(controller->towerErrorPanel().isVisible());
    commands();
    ticks(30);
    EXPECT_TRUE(commands().empty());

    ASSERT_EQ(brick.control("silent off"), "ok");
    QTest::mouseClick(sheet.controls().okButton, Qt::LeftButton);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(controller->waitABitValue(), 2);
    ticks(2);
    EXPECT_EQ(firstOpcode(), 0x30);
    EXPECT_TRUE(controller->showErrorsValue());
}

TEST_F(ControllerTest, DeleteButtonDeletesTheSlotsProgram)
{
    launchRefreshed();
    window.setSlotEmpty(false);
    QTest::mouseClick(ui().theButton, Qt::LeftButton);
    EXPECT_EQ(opcodes(), (std::vector<int>{0x40, 0x70}));
    EXPECT_EQ(ui().theButton->text(), "Download...");
    EXPECT_EQ(controller->openPanel(), nullptr);

    QTest::mouseClick(ui().theButton, Qt::LeftButton);
    ASSERT_NE(controller->openPanel(), nullptr);
    EXPECT_TRUE(controller->openPanel()->isVisible());
    controller->openPanel()->reject();
    EXPECT_TRUE(commands().empty());
}

TEST_F(ControllerTest, ClosingTheWindowStopsPollingAndReopeningRestartsIt)
{
    launchRefreshed();
    window.close();
    ticks(200);
    EXPECT_TRUE(commands().empty());
    controller->applicationShouldHandleReopen();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(ui().theTabs->currentIndex(), 0);
    EXPECT_EQ(controller->waitABitValue(), 2);
    ticks(2);
    EXPECT_EQ(firstOpcode(), 0x30);
}

TEST_F(ControllerTest, WindowPositionIsKept)
{
    launchRefreshed();
    window.resize(900, 650);
    controller->applicationWillTerminate();
    EXPECT_TRUE(settings().contains("Window position"));
    MainWindow another;
    another.restoreGeometry(settings().value("Window position").toByteArray());
    EXPECT_EQ(another.size(), QSize(900, 650));
}

// ---- transfers ---------------------------------------------------------------

const QString programFile = QStringLiteral(INFRABRICK_SOURCE_DIR "/tests/rcx/fixtures/tasks.rcx");

TEST_F(ControllerTest, DownloadThroughTheOpenPanel)
{
    launchRefreshed();
    QTest::mouseClick(ui().theButton, Qt::LeftButton);
    QFileDialog* panel = controller->openPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->windowModality(), Qt::WindowModal);
    panel->selectFile(programFile);
    QSignalSpy progress(&controller->fileProgressPanel(), &QDialog::finished);
    static_cast<QDialog*>(panel)->accept();

    EXPECT_FALSE(controller->fileProgressPanel().isVisible());
    EXPECT_NEAR(controller->fileProgressPanel().progress(), 100.0, 1e-6);
    EXPECT_EQ(ui().programName->text(), "tasks");
    EXPECT_EQ(ui().theButton->text(), "Delete");
    EXPECT_FALSE(taskCode(brick.state(), 1, 0).isEmpty());
    EXPECT_TRUE(controller->showErrorsValue());
}

TEST_F(ControllerTest, DownloadOfADroppedFile)
{
    launchRefreshed();
    QTest::mouseClick(ui().progNumButton->button(2), Qt::LeftButton);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(programFile)});
    DropBox* box = ui().dropBox;
    QPoint middle = box->rect().center();
    QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &drop);

    EXPECT_EQ(ui().programName->text(), "tasks");
    const QJsonObject state = brick.state();
    EXPECT_FALSE(taskCode(state, 2, 0).isEmpty());
    EXPECT_TRUE(taskCode(state, 1, 0).isEmpty());
}

TEST_F(ControllerTest, TheMenusDownloadAsksForAFileEvenIntoAFullSlot)
{
    launchRefreshed();
    controller->downloadFile(programFile);
    ASSERT_EQ(ui().theButton->text(), "Delete");
    const QJsonValue programs = brick.state()["programs"];
    commands();
    ui().actionDownload->trigger();
    ASSERT_NE(controller->openPanel(), nullptr);
    EXPECT_TRUE(controller->openPanel()->isVisible());
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(brick.state()["programs"], programs);
    EXPECT_EQ(ui().programName->text(), "tasks");
}

// A file refused before anything reaches the brick leaves the slot as it
// was: its program on the brick, its names in the window.
TEST_F(ControllerTest, ARefusedFileLeavesTheSlotAsItWas)
{
    launchRefreshed();
    controller->downloadFile(programFile);
    const QJsonValue programs = brick.state()["programs"];
    ASSERT_FALSE(taskCode(brick.state(), 1, 0).isEmpty());
    QFile good(programFile);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray bytes = good.readAll();
    ASSERT_TRUE(QDir(settingsFolder.path()).mkdir("folder.rcx"));
    const struct {
        const char* file;
        QByteArray contents; // none: not written
        const char* message;
    } cases[] = {
        {"missing.rcx", {}, "Can't open file \"missing.rcx\""},
        {"folder.rcx", {}, "Error reading file \"folder.rcx\""},
        {"signature.rcx", "RCXJ" + bytes.mid(4), "File \"signature.rcx\" has the wrong file signature"},
        {"cut.rcx", bytes.first(100), "Error reading file \"cut.rcx\""},
    };
    FileProgressPanel& progress = controller->fileProgressPanel();
    for (const auto& each : cases) {
        SCOPED_TRACE(each.file);
        const QString path = settingsFolder.filePath(each.file);
        if (!each.contents.isEmpty()) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(each.contents);
        }
        commands();
        controller->downloadFile(path);
        ASSERT_TRUE(progress.isVisible());
        EXPECT_EQ(progress.controls().fileProgressText->text(), each.message);
        EXPECT_TRUE(progress.controls().fileProgressOKButton->isEnabled());
        QTest::mouseClick(progress.controls().fileProgressOKButton, Qt::LeftButton);
        EXPECT_TRUE(commands().empty());
        EXPECT_EQ(brick.state()["programs"], programs);
        EXPECT_EQ(ui().programName->text(), "tasks");
        EXPECT_EQ(ui().theButton->text(), "Delete");
        EXPECT_EQ(controller->controller().currentVarName(0), "speed");
    }
    ticks(3);
    EXPECT_FALSE(controller->towerErrorPanel().isVisible());
    EXPECT_FALSE(opcodes().empty());
}

TEST_F(ControllerTest, ABrickThatStopsAnsweringDuringADownloadKeepsItsMessage)
{
    launchRefreshed();
    ASSERT_EQ(brick.control("silent on"), "ok");
    controller->downloadFile(programFile);
    FileProgressPanel& progress = controller->fileProgressPanel();
    ASSERT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.controls().fileProgressText->text(), "No response from RCX");
    EXPECT_TRUE(progress.controls().fileProgressOKButton->isEnabled());
}

// The datalog's upload reads on past a failed link and then reports its end:
// the sheet keeps the link's message.
TEST_F(ControllerTest, ATransferThatReadsOnPastAFailedLinkKeepsItsMessage)
{
    launchRefreshed();
    controller->startFileOp("Saving");
    controller->timeout();
    controller->stopFileOp();
    FileProgressPanel& progress = controller->fileProgressPanel();
    ASSERT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.controls().fileProgressText->text(), "No response from RCX");
}

TEST_F(ControllerTest, MemoryAndVariablesTabsAfterADownload)
{
    launchRefreshed();
    controller->downloadFile(programFile);
    ui().theTabs->setCurrentIndex(2);
    QAbstractItemModel* memory = ui().memoryView->model();
    ASSERT_NE(memory, nullptr);
    QStringList titles;
    std::function<void(const QModelIndex&)> collect = [&](const QModelIndex& parent) {
        for (int row = 0; row < memory->rowCount(parent); ++row) {
            QModelIndex index = memory->index(row, 0, parent);
            titles << memory->data(index).toString();
            collect(index);
        }
    };
    collect(QModelIndex());
    EXPECT_GE(titles.filter(": tasks").size(), 1) << titles.join("|").toStdString();
    EXPECT_EQ(ui().theButton->text(), "Delete");

    controller->controller().writeVariable(3, 1234);
    commands();
    ui().theTabs->setCurrentIndex(3);
    std::vector<Command> reads = commands();
    EXPECT_EQ(reads.size(), 32u);
    QAbstractItemModel* variables = ui().variableView->model();
    ASSERT_NE(variables, nullptr);
    QString row1;
    for (int column = 0; column < variables->columnCount(); ++column)
        row1 += variables->data(variables->index(1, column)).toString() + "|";
    EXPECT_TRUE(row1.contains("1234")) << row1.toStdString();
}

// A value typed into the variables table goes to the brick when a 16-bit
// variable can hold it; otherwise nothing is sent and the old value shows.
TEST_F(ControllerTest, TheVariablesTableRefusesWhatAVariableCannotHold)
{
    launchRefreshed();
    controller->controller().writeVariable(7, 123);
    ui().theTabs->setCurrentIndex(3);
    QTableView* view = ui().variableView;
    const QModelIndex cell = view->model()->index(3, static_cast<int>(Variables::columns.indexOf("Value2")));
    const struct {
        const char* typed;
        std::vector<Command> sent;
        const char* shown;
    } cases[] = {
        {"70000", {}, "123"},
        {"-32769", {}, "123"},
        {"40000", {{0x14, 7, 2, 0x40, 0x9C}}, "-25536"},
        {"65535", {{0x14, 7, 2, 0xFF, 0xFF}}, "-1"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.typed);
        commands();
        view->edit(cell);
        QLineEdit* editor = view->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, each.typed);
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate commits in a queued call and deletes its editor later.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(commands(), each.sent);
        EXPECT_EQ(cell.data().toString(), each.shown);
    }
}

TEST_F(ControllerTest, FirmwareInstallOfBrickOS)
{
    const QString firmware = "/usr/lib/brickos/brickOS.srec";
    if (!QFile::exists(firmware))
        GTEST_SKIP() << "brickos is not installed";
    launchRefreshed();
    controller->installFirmware();
    QFileDialog* panel = controller->openPanel();
    ASSERT_NE(panel, nullptr);
    panel->selectFile(firmware);
    static_cast<QDialog*>(panel)->accept();
    EXPECT_FALSE(controller->fileProgressPanel().isVisible());
    EXPECT_NEAR(controller->fileProgressPanel().progress(), 100.0, 1e-6);
    EXPECT_EQ(controller->waitABitValue(), 2);

    // The image the brick took adds up to the checksum announced for it, and
    // the brick unlocked it: the new firmware runs.
    const QString image = settingsFolder.filePath("firmware.bin");
    ASSERT_EQ(brick.control("dump firmware " + image), "ok");
    QFile dumped(image);
    ASSERT_TRUE(dumped.open(QIODevice::ReadOnly));
    const QByteArray bytes = dumped.readAll();
    ASSERT_GT(bytes.size(), 10000);
    std::uint16_t sum = 0;
    for (char byte : bytes.first(std::min<qsizetype>(bytes.size(), 19456)))
        sum += static_cast<std::uint8_t>(byte);
    const QJsonObject state = brick.state()["firmware"].toObject();
    EXPECT_EQ(state["checksum"].toInt(), sum);
    EXPECT_EQ(state["length"].toInt(), bytes.size());
    EXPECT_TRUE(state["present"].toBool());
    EXPECT_TRUE(state["unlocked"].toBool());
}

TEST_F(ControllerTest, KilledBrickGivesTheTowerErrorSheetWhoseRetryReopensThePort)
{
    launchRefreshed();
    ASSERT_FALSE(controller->timeoutPanel().isVisible());
    ASSERT_FALSE(controller->towerErrorPanel().isVisible());

    ASSERT_TRUE(brick.kill());
    ui().updateWindowButton->click();
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

    brick.restart();
    QTest::mouseClick(towerSheet.controls().okButton, Qt::LeftButton);
    EXPECT_FALSE(towerSheet.isVisible());
    EXPECT_FALSE(controller->preferencesPanel().isVisible());
    EXPECT_EQ(controller->waitABitValue(), 3);
    ASSERT_EQ(brick.control("battery 7100"), "ok");
    ticks(3);
    EXPECT_EQ(firstOpcode(), 0x30);
    EXPECT_FLOAT_EQ(ui().battery->levelValue(), 7.1f);
    EXPECT_FALSE(towerSheet.isVisible());
    EXPECT_FALSE(timeoutSheet.isVisible());
}

} // namespace
