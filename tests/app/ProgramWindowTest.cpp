// The window watching a program run in the virtual brick, a program of its
// own on the wall clock: downloaded and started from the window, the
// program's message, variable and output show on the next polls.
#include "SimBrick.h"

#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "ports/NoPort.h"
#include "ports/SerialPort.h"
#include "ui_MainWindow.h"
#include "views/AnimatedButton.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString towerName = QStringLiteral("Program brick");

// The brick announces itself in a runtime folder of the test's own; set
// before the brick starts.
struct RuntimeFolder {
    RuntimeFolder() { qputenv("XDG_RUNTIME_DIR", folder.path().toUtf8()); }
    QTemporaryDir folder;
};

class ProgramWindowTest : public ::testing::Test {
protected:
    ProgramWindowTest() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path()); }

    void SetUp() override
    {
        ASSERT_TRUE(brick.terminalPath().startsWith("/dev/"));
        QSettings settings("Infrabrick", "Infrabrick");
        settings.setValue(LegoController::portTypeKey, "Serial");
        settings.setValue(LegoController::portNameKey, towerName);
        settings.setValue(LegoController::portPathKey, brick.towerPath());
        controller = std::make_unique<LegoController>(
            window, std::make_unique<AllPorts>(std::make_unique<SerialPort>(), std::make_unique<NoPort>()));
        window.show();
        controller->applicationDidFinishLaunching();
        controller->timer().stop();
    }

    // Compiles NQC source into a program file.
    QString compiled(const QString& source)
    {
        const QString nqc = settingsFolder.filePath("program.nqc");
        const QString rcx = settingsFolder.filePath("program.rcx");
        QFile file(nqc);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(source.toUtf8());
        file.close();
        EXPECT_EQ(QProcess::execute("nqc", {"-TRCX", "-O" + rcx, nqc}), 0);
        return rcx;
    }

    // Gives ticks until `condition` holds.
    bool ticksUntil(const std::function<bool()>& condition)
    {
        return QTest::qWaitFor([&] {
            controller->doTime();
            return condition();
        });
    }

    Ui::LocalizableMainWindow& ui() { return window.controls(); }

    RuntimeFolder runtime;
    QTemporaryDir settingsFolder;
    SimBrick brick{towerName};
    MainWindow window;
    std::unique_ptr<LegoController> controller;
};

TEST_F(ProgramWindowTest, ARunningProgramsEffectsShowOnTheNextPolls)
{
    controller->downloadFile(compiled("int count;\n"
                                      "task main() { SendMessage(5); count = 1234; On(OUT_A);\n"
                                      "  while (true) Wait(100); }\n"));
    ui().theTabs->setCurrentIndex(1); // Run
    QTest::mouseClick(ui().runStopButton, Qt::LeftButton);
    EXPECT_TRUE(ticksUntil([&] { return ui().messages->toPlainText().split('\n').last() == "5"; }))
        << ui().messages->toPlainText().toStdString();

    ui().theTabs->setCurrentIndex(3); // Variables
    QAbstractItemModel* variables = ui().variableView->model();
    QString row;
    for (int column = 0; column < variables->columnCount(); ++column)
        row += variables->data(variables->index(0, column)).toString() + "|";
    EXPECT_TRUE(row.contains("1234")) << row.toStdString();

    ui().theTabs->setCurrentIndex(0); // Test: output A is on, its gears turn
    EXPECT_TRUE(ui().outputAStopGoButton->isChecked());
    const int frame = ui().outputAStopGoButton->cell().frame();
    EXPECT_TRUE(ticksUntil([&] { return ui().outputAStopGoButton->cell().frame() != frame; }));
    EXPECT_FALSE(ui().outputBStopGoButton->isChecked());
}

} // namespace
