// The window as a user meets it against the virtual brick, run as a program:
// the first start, the status bar, the busy cursor while a tab reads, the
// memory outline's width, the transfer's time left and the file panels.
#include "SimBrick.h"

#include "app/FileProgressPanel.h"
#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "app/PreferencesPanel.h"
#include "app/TimeoutPanel.h"
#include "models/Variables.h"
#include "ports/NoPort.h"
#include "ports/SerialPort.h"
#include "ui_MainWindow.h"
#include "views/LevelMeter.h"

#include <QHeaderView>
#include <QLabel>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

const QString towerName = QStringLiteral("Virtual RCX");
const QString programFile = QStringLiteral(INFRABRICK_SOURCE_DIR "/tests/rcx/fixtures/tasks.rcx");

// Calls `seen` each time `widget` paints.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* widget, std::function<void()> seen) : seen(std::move(seen))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            seen();
        return false;
    }

private:
    std::function<void()> seen;
};

class WindowPolishTest : public ::testing::Test {
protected:
    WindowPolishTest()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        qputenv("XDG_RUNTIME_DIR", runtimeFolder.path().toUtf8());
        brick = std::make_unique<SimBrick>(towerName);
    }

    void SetUp() override { ASSERT_TRUE(brick->terminalPath().startsWith("/dev/")); }

    void savePort(const QString& path)
    {
        QSettings store("Infrabrick", "Infrabrick");
        store.setValue(LegoController::portTypeKey, "Serial");
        store.setValue(LegoController::portNameKey, towerName);
        store.setValue(LegoController::portPathKey, path);
        store.setValue(LegoController::batteryTimeKey, 100);
        store.setValue(LegoController::inputTimeKey, 10);
    }

    void launch()
    {
        controller = std::make_unique<LegoController>(
            window, std::make_unique<AllPorts>(std::make_unique<SerialPort>(), std::make_unique<NoPort>()));
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        controller->applicationDidFinishLaunching();
        controller->timer().stop();
    }

    void launchRefreshed()
    {
        savePort(brick->towerPath());
        launch();
        ticks(3);
    }

    void ticks(int count)
    {
        for (int tick = 0; tick < count; ++tick)
            controller->doTime();
    }

    QString status(const char* part) { return window.statusBar()->findChild<QLabel*>(part)->text(); }

    Ui::LocalizableMainWindow& ui() { return window.controls(); }

    QTemporaryDir settingsFolder;
    QTemporaryDir runtimeFolder;
    std::unique_ptr<SimBrick> brick;
    MainWindow window;
    std::unique_ptr<LegoController> controller;
};

TEST_F(WindowPolishTest, AFirstStartChoosesTheAnnouncedBrickSoThatOKAloneReachesIt)
{
    launch();
    PreferencesPanel& preferences = controller->preferencesPanel();
    ASSERT_TRUE(preferences.isVisible());
    EXPECT_EQ(preferences.controls().prefsSerialPortMenu->currentText(), towerName);
    ASSERT_EQ(brick->control("battery 8200"), "ok");
    QTest::mouseClick(preferences.controls().prefsOKButton, Qt::LeftButton);
    ticks(2);
    EXPECT_FLOAT_EQ(ui().battery->levelValue(), 8.2f);
    EXPECT_FALSE(controller->timeoutPanel().isVisible());
    EXPECT_FALSE(controller->towerErrorPanel().isVisible());
    EXPECT_EQ(status("statusPort"), "Tower: Virtual RCX");
    EXPECT_EQ(status("statusBrick"), "Brick answering");
}

TEST_F(WindowPolishTest, TheStatusBarFollowsTheBrickAndItsProgram)
{
    launchRefreshed();
    EXPECT_EQ(status("statusPort"), "Tower: Virtual RCX");
    EXPECT_EQ(status("statusBrick"), "Brick answering");
    EXPECT_EQ(status("statusProgram"), "Program slot 1");

    ui().theTabs->setCurrentIndex(1);
    QTest::mouseClick(ui().progNumButton->button(3), Qt::LeftButton);
    EXPECT_EQ(status("statusProgram"), "Program slot 3");
    QTest::mouseClick(ui().runStopButton, Qt::LeftButton);
    EXPECT_EQ(status("statusProgram"), "Program slot 3, running");
    QTest::mouseClick(ui().emergencyStopButton, Qt::LeftButton);
    EXPECT_EQ(status("statusProgram"), "Program slot 3");

    // Switched off, the brick answers nothing: it stays shown as switched off.
    QTest::mouseClick(ui().powerOffButton, Qt::LeftButton);
    EXPECT_EQ(status("statusBrick"), "Brick switched off by Power Off");
    ui().updateWindowButton->click();
    ticks(1);
    ASSERT_TRUE(controller->timeoutPanel().isVisible());
    EXPECT_EQ(status("statusBrick"), "Brick switched off by Power Off");

    ASSERT_EQ(brick->control("power on"), "ok");
    QTest::mouseClick(controller->timeoutPanel().controls().okButton, Qt::LeftButton);
    ticks(2);
    EXPECT_EQ(status("statusBrick"), "Brick answering");

    ASSERT_EQ(brick->control("silent on"), "ok");
    ui().updateWindowButton->click();
    ticks(1);
    EXPECT_EQ(status("statusBrick"), "Brick not answering");
}

TEST_F(WindowPolishTest, ABrickWithoutFirmwareIsToldFromOneThatDoesNotAnswer)
{
    SimProcess bare(INFRABRICK_SIM, {"--no-firmware"});
    ASSERT_TRUE(bare.path().starts_with("/dev/"));
    savePort(QString::fromStdString(bare.path()));
    launch();
    ticks(3);
    EXPECT_TRUE(controller->timeoutPanel().isVisible());
    EXPECT_EQ(status("statusBrick"), "No firmware on the brick");
}

// A real tower takes a tenth of a second for each of the 32 reads: the
// busy cursor shows meanwhile, and the rows fill in as they come.
TEST_F(WindowPolishTest, TheVariablesFillInUnderTheBusyCursor)
{
    launchRefreshed();
    for (int variable = 0; variable < 32; ++variable)
        controller->controller().writeVariable(variable, 1000 + variable);
    QTableView* view = ui().variableView;
    std::set<int> filledWhileBusy;
    const PaintWatch watch(view->viewport(), [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        if (!cursor || cursor->shape() != Qt::WaitCursor || !view->model())
            return;
        const int value1 = static_cast<int>(Variables::columns.indexOf("Value1"));
        int filled = 0;
        for (int row = 0; row < Variables::rows; ++row)
            filled += view->model()->index(row, value1).data().toInt() == 1000 + 2 * row;
        filledWhileBusy.insert(filled);
    });
    ui().theTabs->setCurrentIndex(3);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_GE(filledWhileBusy.size(), 8u);
    EXPECT_EQ(filledWhileBusy.count(Variables::rows), 1u);
}

TEST_F(WindowPolishTest, TheMemoryOutlineFillsItsView)
{
    launchRefreshed();
    ui().theTabs->setCurrentIndex(2);
    QApplication::processEvents();
    const QTreeView* view = ui().memoryView;
    EXPECT_EQ(view->header()->length(), view->viewport()->width());
}

TEST_F(WindowPolishTest, TheTransferSheetShowsTheTimeLeft)
{
    launchRefreshed();
    FileProgressPanel& progress = controller->fileProgressPanel();
    QLabel* timeLeft = progress.controls().fileProgressTimeLeft;
    // What the sheet shows as it is drawn, while the transfer holds the
    // event loop: the whole of it, with no layout pass to make room.
    QStringList shown;
    const PaintWatch watch(&progress, [&] {
        if (timeLeft->width() >= timeLeft->sizeHint().width())
            shown << timeLeft->text();
    });
    controller->downloadFile(programFile);
    static const QRegularExpression estimate(R"(^About \d+:\d\d left$)");
    EXPECT_FALSE(shown.filter(estimate).isEmpty()) << shown.join('|').toStdString();

    // A failure shows no time.
    controller->downloadFile(settingsFolder.filePath("missing.rcx"));
    ASSERT_TRUE(progress.isVisible());
    EXPECT_EQ(timeLeft->text(), "");
}

TEST_F(WindowPolishTest, TheFilePanelsOfferWhatTheyOpenAndSave)
{
    QSettings("Infrabrick", "Infrabrick").setValue(LegoController::datalogFilenameKey, "rover log.txt");
    launchRefreshed();
    controller->installFirmware();
    ASSERT_NE(controller->openPanel(), nullptr);
    EXPECT_EQ(controller->openPanel()->nameFilters(),
              QStringList({"RCX firmware (*.lgo *.srec *.s19 *.mot)", "All files (*)"}));
    controller->openPanel()->reject();

    controller->upload();
    ASSERT_NE(controller->openPanel(), nullptr);
    const QStringList chosen = controller->openPanel()->selectedFiles();
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(QFileInfo(chosen.first()).fileName(), "rover log.txt");
    controller->openPanel()->reject();
}

} // namespace
