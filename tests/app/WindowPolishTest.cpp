// What the window shows while it works: the status bar, the busy cursor while
// a tab reads and the transfer's time left.
#include "AppFixture.h"

#include <QLabel>
#include <QStatusBar>

#include <set>

namespace {

QString status(MainWindow& window, const char* part) { return window.statusBar()->findChild<QLabel*>(part)->text(); }

using WindowPolishTest = ControllerTest;

// The tower, whether the brick answers, and the slot and its program.
TEST_F(WindowPolishTest, TheStatusBarFollowsTheBrickAndItsProgram)
{
    EXPECT_EQ(QStringList({status(window, "statusPort"), status(window, "statusBrick"), status(window, "statusProgram")}),
              QStringList({"Tower: Virtual RCX", "Brick answering", "Program slot 1"}));
    ui().theTabs->setCurrentIndex(1);
    click(ui().progNumButton->button(3));
    click(ui().runStopButton);
    EXPECT_EQ(status(window, "statusProgram"), "Program slot 3, running");
    click(ui().emergencyStopButton);
    EXPECT_EQ(status(window, "statusProgram"), "Program slot 3");
    // Switched off, the brick answers nothing: it stays shown as switched off.
    click(ui().powerOffButton);
    ui().updateWindowButton->click();
    ticks(1);
    ASSERT_TRUE(controller->timeoutPanel().isVisible());
    EXPECT_EQ(status(window, "statusBrick"), "Brick switched off by Power Off");
    ASSERT_EQ(brick.control("power on"), "ok");
    click(controller->timeoutPanel().controls().okButton);
    ticks(2);
    EXPECT_EQ(status(window, "statusBrick"), "Brick answering");
    ASSERT_EQ(brick.control("silent on"), "ok");
    ui().updateWindowButton->click();
    ticks(1);
    EXPECT_EQ(status(window, "statusBrick"), "Brick not answering");
}

TEST_F(StartTest, ABrickWithoutFirmwareIsToldFromOneThatDoesNotAnswer)
{
    SimProcess bare(INFRABRICK_SIM, {"--no-firmware"});
    ASSERT_TRUE(bare.path().starts_with("/dev/"));
    savePort(QString::fromStdString(bare.path()));
    launch();
    ticks(3);
    EXPECT_TRUE(controller->timeoutPanel().isVisible());
    EXPECT_EQ(status(window, "statusBrick"), "No firmware on the brick");
}

// A real tower takes a tenth of a second for each of the 32 reads: the busy
// cursor shows meanwhile, and the rows fill in as they come.
TEST_F(WindowPolishTest, TheVariablesFillInUnderTheBusyCursor)
{
    for (int variable = 0; variable < 32; ++variable)
        controller->controller().writeVariable(variable, 1000 + variable);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTableView* view = ui().variableView;
    std::set<int> filledWhileBusy;
    const EventWatch watch(view->viewport(), QEvent::Paint, [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        if (!cursor || cursor->shape() != Qt::WaitCursor || !view->model())
            return;
        int filled = 0;
        for (int row = 0; row < Variables::rows; ++row)
            filled += view->model()->index(row, Variables::columns.indexOf("Value1")).data().toInt() == 1000 + 2 * row;
        filledWhileBusy.insert(filled);
    });
    ui().theTabs->setCurrentIndex(3);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_GE(filledWhileBusy.size(), 8u);
    EXPECT_EQ(filledWhileBusy.count(Variables::rows), 1u);
}

// What the sheet shows as it is drawn, while the transfer holds the event
// loop: the whole of the time left, with no layout pass to make room.
TEST_F(WindowPolishTest, TheTransferSheetShowsTheTimeLeft)
{
    QLabel* timeLeft = progress().controls().fileProgressTimeLeft;
    QStringList shown;
    const EventWatch watch(&progress(), QEvent::Paint, [&] {
        if (timeLeft->width() >= timeLeft->sizeHint().width())
            shown << timeLeft->text();
    });
    controller->downloadFile(programFile);
    EXPECT_FALSE(shown.filter(QRegularExpression(R"(^About \d+:\d\d left$)")).isEmpty()) << shown.join('|').toStdString();
    controller->downloadFile(folder.filePath("missing.rcx"));
    ASSERT_TRUE(progress().isVisible());
    EXPECT_EQ(timeLeft->text(), "") << "a failure shows no time";
}

} // namespace
