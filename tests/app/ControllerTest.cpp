// One thing a user does in the window per test, against the virtual brick.
#include "support/AppFixture.h"
#include "WindowTest.h"

#include "models/Variables.h"
#include "views/VariableView.h"

#include <gmock/gmock.h>

#include <set>

namespace {

QString watchCommand(QTime now = QTime::currentTime()) { return QString::asprintf("22 %02X %02X", now.hour(), now.minute()); }

TEST_F(StartTest, FirstStartAsksForPreferencesAndPollsOnlyAfterOK)
{
    launch();
    QWidget& prefs = controller->preferencesPanel();
    ASSERT_TRUE(prefs.isVisible());
    EXPECT_FALSE(named<QPushButton>(prefs, "prefsCancelButton")->isEnabled());
    ticks(20);
    EXPECT_EQ(brick.commands(), QStringList());
    // The announced brick comes before the USB tower and is chosen: OK alone reaches it.
    const QComboBox* ports = named<QComboBox>(prefs, "prefsSerialPortMenu");
    EXPECT_EQ(std::pair(ports->currentIndex(), ports->currentText()), std::pair(ports->count() - 2, brick.name));
    named<QCheckBox>(prefs, "prefsSyncWatch")->setChecked(true);
    click(named<QPushButton>(prefs, "prefsOKButton"));
    EXPECT_EQ(settings().value("Port Path").toString(), brick.towerPath());
    // The refresh two ticks later reads the battery and sets the watch.
    ticks(1);
    EXPECT_EQ(brick.commands(), QStringList());
    const QString before = watchCommand();
    ticks(1);
    EXPECT_THAT(brick.commands().mid(0, 2), testing::ElementsAre("30", testing::AnyOf(before, watchCommand())));
}

TEST_F(StartTest, PreferencesShowTheSavedChoicesAndOfferOnlyRatesThatWork)
{
    savePort();
    save({{"Battery Check Selection", "Every minute"}, {"Battery Type", "Lithium"}, {"RCX Type", "RCX 2.0"}});
    launch();
    controller->setPreferences(true);
    QWidget& prefs = controller->preferencesPanel();
    auto menu = [&](const char* name) { return named<QComboBox>(prefs, name); };
    EXPECT_EQ(QStringList({menu("prefsBatteryRateMenu")->currentData().toString(), menu("prefsBatteryTypeMenu")->currentData().toString(),
                           menu("prefsRCXTypeMenu")->currentText(), menu("prefsSerialPortMenu")->currentText(),
                           named<QLineEdit>(prefs, "prefsDatalogFilenameField")->text()}),
              QStringList({"600", "Lithium", "RCX 2.0", brick.name, "datalog %H-%M-%S.txt"}));
    // Half a second comes before the ticks of the battery and of sensor 3.
    EXPECT_EQ(std::tuple(menu("prefsBatteryRateMenu")->findData(5), menu("prefsInputRateMenu")->findData(5)), std::tuple(-1, -1));
    EXPECT_GE(menu("prefsDatalogRateMenu")->findData(5), 0);
    // Cancel stores nothing; OK stores what the sheet shows.
    for (const QString end : {"prefsCancelButton", "prefsOKButton"}) {
        menu("prefsBatteryRateMenu")->setCurrentIndex(0);
        click(named<QPushButton>(prefs, end.toUtf8()));
        EXPECT_EQ(settings().value("Battery Check Selection").toString(), end == "prefsOKButton" ? "Never" : "Every minute");
        controller->setPreferences(true);
    }
    EXPECT_EQ(settings().value("Battery Check Time").toString(), "0");
}


// A failing link gives one sheet, the tower's or the brick's, holding the polls until Retry.
TEST_F(ControllerTest, AFailingLinkGivesOneSheetWhoseRetryResumesThePolls)
{
    QWidget& prefs = controller->preferencesPanel();
    auto chooseUsb = [&] {
        controller->setPreferences(true);
        named<QComboBox>(prefs, "prefsSerialPortMenu")->setCurrentIndex(named<QComboBox>(prefs, "prefsSerialPortMenu")->findText("USB IR Tower"));
        click(named<QPushButton>(prefs, "prefsOKButton"));
    };
    auto refresh = [&] { named<QPushButton>(window, "updateWindowButton")->click(), ticks(1); };
    TimeoutPanel &brickSheet = controller->timeoutPanel(), &towerSheet = controller->towerErrorPanel();
    const struct { const char* failure; std::function<void()> fail; const char* mend; TimeoutPanel& sheet; const char* title, *brickStatus; } rows[] = {
        {"USB tower chosen", chooseUsb, "silent off", towerSheet, "IR Tower Not Usable", "IR tower not usable"},
        {"brick silent", [&] { brick.control("silent on"), refresh(); }, "silent off", brickSheet, "Brick Not Reachable", "Brick not answering"},
        {"Power Off", [&] { click(named<QPushButton>(window, "powerOffButton")), refresh(); }, "power on", brickSheet, "Brick Not Reachable",
         "Brick switched off by Power Off"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.failure);
        row.fail();
        ASSERT_TRUE(row.sheet.isVisible());
        EXPECT_EQ(row.sheet.windowTitle() + " " + status(window, "statusBrick"), QString(row.title) + " " + row.brickStatus);
        EXPECT_EQ(named<QPushButton>(row.sheet, "firmwareButton")->isVisible(), &row.sheet == &brickSheet);
        brick.commands();
        ticks(30);
        EXPECT_FALSE((&row.sheet == &brickSheet ? towerSheet : brickSheet).isVisible());
        EXPECT_EQ(brick.commands(), QStringList());
        ASSERT_EQ(brick.control(row.mend), "ok");
        click(named<QPushButton>(row.sheet, "okButton"));
        ticks(3);
        EXPECT_EQ(brick.commands().value(0), "30");
        EXPECT_EQ(status(window, "statusBrick"), "Brick answering");
    }
}

// The first refresh comes on the third tick, then each poll on its own; an untyped sensor is not read.
TEST_F(StartTest, PollsRunOnTheirTicks)
{
    savePort();
    launch();
    ticks(2);
    EXPECT_EQ(brick.commands(), QStringList());
    ticks(1);
    EXPECT_EQ(brick.commands(), QStringList({"30", "12 03 00", "12 03 01", "12 03 02", "12 0A 00", "12 0B 00",
                                             "12 0A 01", "12 0B 01", "12 0A 02", "12 0B 02"}));
    named<QComboBox>(window, "sensor1TypeButton")->setCurrentIndex(3);
    named<QComboBox>(window, "sensor3TypeButton")->setCurrentIndex(3);
    named<QLineEdit>(window, "sensor2Value")->setText("stale");
    std::map<int, QStringList> byTick, expected;
    for (int tick = 1; tick <= 110; ++tick) {
        ticks(1);
        if (QStringList heard = brick.commands(); !heard.isEmpty())
            byTick[tick] = heard;
    }
    for (int tens = 0; tens < 110; tens += 10)
        expected[tens + 2] = {"12 09 00"}, expected[tens + 6] = {"12 09 02"};
    expected[8] = expected[108] = {"30"};
    EXPECT_EQ(byTick, expected);
    EXPECT_EQ(named<QLineEdit>(window, "sensor2Value")->text(), "");
}

// The log says how many messages the link missed and goes on from the oldest held.
TEST_F(ControllerTest, TheMessageLogGoesOnAfterMissedMessages)
{
    constexpr int sent = RCXPacket::messageCapacity + 5;
    for (int message = 0; message < sent; ++message)
        ASSERT_EQ(brick.control(QString("message %1").arg(message % 256)), "ok");
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->controller().getMessage(sent - 1, 0.0f) >= 0; }, 20000));
    named<QTabWidget>(window, "theTabs")->setCurrentIndex(1);
    ticks(3);
    const QStringList lines = named<QPlainTextEdit>(window, "messages")->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 1 + RCXPacket::messageCapacity);
    EXPECT_EQ(lines.mid(0, 3), QStringList({"(5 messages missed)", "5", "6"}));
    EXPECT_EQ(lines.last(), QString::number((sent - 1) % 256));
}

// Each control in turn. The slope sheet takes five bits, slope 0 setting the mode alone;
// remote buttons send a release after their press; a typed value must fit 16 bits.
TEST_F(ControllerTest, EachControlSendsItsCommands)
{
    QWidget& sheet = controller->dynamicSensorPanel();
    QComboBox* mode = named<QComboBox>(window, "sensor1ModeButton");
    auto press = [](QAbstractButton* button) { return [button] { button->click(); }; };
    auto pick = [](QComboBox* menu, int item) { return [=] { choose(menu, item); }; };
    auto gear = [&](int direction) { return [=, this] { return controller->outputDirection(0) == direction; }; };
    std::pair<int, int> sheetShowed;
    QComboBox* sheetMode = named<QComboBox>(sheet, "dynamicSensorModeMenu");
    QSpinBox* sheetSlope = named<QSpinBox>(sheet, "dynamicSensorSlope");
    auto slope = [&](int item, const char* typed, const char* end) {
        return [=, &sheet, &sheetShowed] {
            choose(mode, 8);
            sheetShowed = {sheetMode->currentIndex(), sheetSlope->value()};
            sheetMode->setCurrentIndex(item), sheetSlope->selectAll();
            QTest::keyClicks(sheetSlope, typed);
            named<QPushButton>(sheet, end)->click();
        };
    };
    VariableView* variables = named<VariableView>(window, "variableView");
    const QModelIndex variable7 = variables->model()->index(3, Variables::columns.indexOf("Value2"));
    auto type = [&](const char* typed) {
        return [=] {
            variables->edit(variable7);
            QLineEdit* editor = variables->viewport()->findChild<QLineEdit*>();
            editor->selectAll();
            QTest::keyClicks(editor, typed);
            QTest::keyClick(editor, Qt::Key_Return);
            // The delegate commits in a queued call and deletes its editor later.
            QCoreApplication::sendPostedEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
    };
    auto shown = [&](const char* value) { return [=] { return variable7.data().toString() == value; }; };
    auto meterShown = [&] { return named<DatalogLevel>(window, "datalog")->isMeterVisible(); };
    QStringList variableReads;
    for (int variable = 0; variable < 32; ++variable)
        variableReads.append(QString::asprintf("12 00 %02X", variable));
    controller->controller().writeVariable(7, 123);
    brick.commands();
    const struct { const char* control; std::function<void()> use; QStringList sent; std::function<bool()> shows = {}; } rows[] = {
        {"A reverse, while off", press(named<QCheckBox>(window, "outputADirButton")), {"E1 01"}, gear(0)},
        {"A on", press(named<AnimatedButton>(window, "outputAStopGoButton")), {"21 81"}, gear(-1)},
        {"A forward, while on", press(named<QCheckBox>(window, "outputADirButton")), {"E1 81"}, gear(1)},
        {"A off", press(named<AnimatedButton>(window, "outputAStopGoButton")), {"21 41"}, gear(0)},
        {"C power 3", [&] { named<QSlider>(window, "outputCPowerButton")->setValue(3); }, {"13 04 02 02"}},
        {"remote B forward held", [&] { QTest::mousePress(named<QToolButton>(window, "outputBFwdButton"), Qt::LeftButton); }, {"D2 00 10"}},
        {"remote B forward let go", [&] { QTest::mouseRelease(named<QToolButton>(window, "outputBFwdButton"), Qt::LeftButton); }, {"D2 00 00"}},
        {"remote C reverse clicked", press(named<QToolButton>(window, "outputCRevButton")), {"D2 01 00", "D2 00 00"}},
        {"Beep", press(named<QPushButton>(window, "beepButton")), {"D2 00 00", "D2 80 00"}},
        {"Send 3", [&] { named<QSpinBox>(window, "message3")->setValue(99), named<QPushButton>(window, "send3Button")->click(); }, {"F7 63"}},
        {"sensor 2 Temperature", pick(named<QComboBox>(window, "sensor2TypeButton"), 2), {"32 01 02"}, [&] { return named<QComboBox>(window, "sensor2ModeButton")->currentIndex() == 5; }},
        {"sensor 1 mode 4", pick(mode, 4), {"42 00 80"}},
        {"slope sheet cancelled", slope(1, "7", "cancelButton"), {}, [&] { return sheetShowed == std::pair(4, 0) && mode->currentIndex() == 4; }},
        {"slope sheet: mode 2, 40 typed", slope(2, "40", "okButton"), {"42 00 44"}, [&] { return mode->currentIndex() == 8; }},
        {"slope sheet: mode 6, slope 0", slope(6, "0", "okButton"), {"42 00 C0"}, [&] { return sheetShowed == std::pair(2, 4) && mode->currentIndex() == 6; }},
        {"slot 3", press(named<QButtonGroup>(window, "progNumButton")->button(3)), {"91 02"}},
        {"Run", press(named<QPushButton>(window, "runStopButton")), {"71 00"}},
        {"Stop", press(named<QPushButton>(window, "runStopButton")), {"50"}},
        {"B on", press(named<AnimatedButton>(window, "outputBStopGoButton")), {"21 82"}},
        {"Stop All", press(named<QPushButton>(window, "emergencyStopButton")), {"D2 00 00", "D2 40 00"},
         [&] { return !named<AnimatedButton>(window, "outputBStopGoButton")->isChecked(); }},
        {"datalog size 50", [&] { controller->clear(), controller->datalogPanel().done(50); }, {"52 32 00"}, meterShown},
        {"datalog size cancelled", [&] { controller->clear(), controller->datalogPanel().reject(); }, {}},
        {"datalog size 0", [&] { controller->clear(), controller->datalogPanel().done(0); }, {"52 00 00"}, [&] { return !meterShown(); }},
        {"Delete, the slot full", [&] { window.setSlotEmpty(false), named<QPushButton>(window, "theButton")->click(); }, {"40", "70"},
         [&] { return named<QPushButton>(window, "theButton")->text() == "Download..." && !controller->openPanel(); }},
        {"Run tab", [&] { named<QTabWidget>(window, "theTabs")->setCurrentIndex(1); }, {"12 08 00"}},
        {"Memory tab, for 100 ticks", [&] { named<QTabWidget>(window, "theTabs")->setCurrentIndex(2), ticks(100); }, {"20", "30"}},
        {"Variables tab", [&] { named<QTabWidget>(window, "theTabs")->setCurrentIndex(3); }, variableReads, shown("123")},
        {"variable 7: 65536 typed", type("65536"), {}, shown("123")}, {"variable 7: -32769 typed", type("-32769"), {}, shown("123")},
        {"variable 7: 65535 typed", type("65535"), {"14 07 02 FF FF"}, shown("-1")},
    };
    for (const auto& row : rows) {
        row.use();
        EXPECT_EQ(brick.commands(), row.sent) << row.control;
        EXPECT_TRUE(!row.shows || row.shows()) << row.control;
    }
}

TEST_F(ControllerTest, ARunningProgramHoldsTheBatteryAndDatalogPolls)
{
    controller->clear();
    controller->datalogPanel().done(40);
    ASSERT_EQ(brick.control("datalog add 0 123"), "ok");
    named<QTabWidget>(window, "theTabs")->setCurrentIndex(1);
    click(named<QButtonGroup>(window, "progNumButton")->button(3));
    auto polls = [&] {
        brick.commands();
        ticks(100);
        const QStringList heard = brick.commands();
        return QString("%1 battery, %2 datalog; %3").arg(heard.count("30")).arg(heard.count("A4 00 00 01 00")).arg(status(window, "statusProgram"));
    };
    EXPECT_EQ(polls(), "1 battery, 5 datalog; Program slot 3");
    click(named<QPushButton>(window, "runStopButton"));
    EXPECT_EQ(polls(), "0 battery, 0 datalog; Program slot 3, running");
    click(named<QPushButton>(window, "runStopButton"));
    EXPECT_EQ(polls(), "1 battery, 5 datalog; Program slot 3");
    click(named<QPushButton>(window, "runStopButton"));
    click(named<QPushButton>(window, "emergencyStopButton"));
    EXPECT_EQ(polls(), "1 battery, 5 datalog; Program slot 3") << "Stop All stops the program as Stop does";
}

// A datalog drag no target takes uploads nothing and leaves no file; one asking for text gets it.
TEST_F(ControllerTest, TheDatalogIsUploadedOnlyWhenADropTargetAsks)
{
    const auto restore = qScopeGuard([saved = qgetenv("TMPDIR")] { qputenv("TMPDIR", saved); });
    ASSERT_TRUE(QDir(folder.path()).mkdir("tmp"));
    qputenv("TMPDIR", folder.filePath("tmp").toUtf8());
    controller->clear();
    controller->datalogPanel().done(10);
    ASSERT_EQ(brick.control("datalog add 0 77"), "ok");
    brick.commands();
    const std::unique_ptr<QMimeData> data(named<DatalogLevel>(window, "datalog")->dragData());
    EXPECT_FALSE(drop(*data));
    EXPECT_EQ(brick.commands(), QStringList());
    EXPECT_TRUE(QDir(folder.filePath("tmp")).isEmpty());
    EXPECT_EQ(data->data("text/plain"), "Variable 0\t77\n");
    EXPECT_EQ(brick.commands().filter(QRegularExpression("^A4")).size(), 2) << "the header and one block";
}

// The time left shows while a download holds the event loop; a refused file leaves the slot.
TEST_F(ControllerTest, DownloadThroughTheOpenPanelOrByDrop)
{
    QLabel* timeLeft = named<QLabel>(progress(), "fileProgressTimeLeft");
    QStringList shown;
    const EventWatch watch(&progress(), QEvent::Paint, [&] {
        if (timeLeft->width() >= timeLeft->sizeHint().width())
            shown << timeLeft->text();
    });
    click(named<QPushButton>(window, "theButton"));
    controller->openPanel()->selectFile(programFile);
    static_cast<QDialog*>(controller->openPanel())->accept();
    EXPECT_FALSE(progress().isVisible());
    EXPECT_FALSE(shown.filter(QRegularExpression(R"(^About \d+:\d\d left$)")).isEmpty()) << shown.join('|').toStdString();
    EXPECT_EQ(named<QLineEdit>(window, "programName")->text() + " " + named<QPushButton>(window, "theButton")->text(), "tasks Delete");
    const QJsonValue programs = brick.state()["programs"];
    named<QAction>(window, "actionDownload")->trigger();
    EXPECT_TRUE(controller->openPanel()->isVisible());
    EXPECT_EQ(brick.state()["programs"], programs);
    controller->openPanel()->reject();

    controller->downloadFile(write("cut.rcx", contents(programFile).left(100)));
    EXPECT_EQ(progressText() + timeLeft->text(), "Error reading file \"cut.rcx\"") << "a failure shows no time";
    click(named<QPushButton>(progress(), "fileProgressOKButton"));
    EXPECT_EQ(brick.state()["programs"], programs);
    EXPECT_EQ(named<QLineEdit>(window, "programName")->text() + " " + QString::fromStdString(controller->controller().currentVarName(0)), "tasks speed");
}

TEST_F(ControllerTest, ASourceDroppedIsCompiledAndRuns)
{
    const QString source = write("my blink ü.nqc", contents(examplesFolder + "/blink.nqc"));
    QAction* again = named<QAction>(window, "actionDownloadAndRun");
    EXPECT_FALSE(again->isEnabled());
    EXPECT_TRUE(dropFile(source));
    EXPECT_EQ(named<QLineEdit>(window, "programName")->text(), "my blink ü");
    EXPECT_THAT(named<QLabel>(window, "downloadedFile")->text().toStdString(), testing::StartsWith("my blink ü.nqc, downloaded at "));
    EXPECT_FALSE(taskCode(1).isEmpty());
    named<QButtonGroup>(window, "progNumButton")->button(3)->click();
    ASSERT_TRUE(again->isEnabled());
    again->trigger();
    EXPECT_EQ(taskCode(3), taskCode(1));
    EXPECT_EQ(brick.state()["slot"].toInt(), 3);
    named<QTabWidget>(window, "theTabs")->setCurrentIndex(1);
    QPlainTextEdit* log = named<QPlainTextEdit>(window, "messages");
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks(1), log->toPlainText().startsWith("1"); }, 10'000)) << log->toPlainText().toStdString();
}

TEST_F(ControllerTest, ASourceWithErrorsShowsThemAndSendsNothing)
{
    controller->downloadFile(programFile);
    const QString source = write("bad.nqc", "task main()\n{\n  On(OUT_A)\n  Wait(100);\n}\n");
    controller->downloadFile(source);
    CompileErrorPanel& sheet = controller->compileErrorPanel();
    ASSERT_TRUE(sheet.isVisible());
    QTreeWidgetItem* row = named<QTreeWidget>(sheet, "errorList")->topLevelItem(0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(QStringList({row->text(0), row->text(1), row->text(2)}), QStringList({"bad.nqc", "4", "syntax error"}));
    click(named<QPushButton>(sheet, "copyButton"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "\"bad.nqc\" has errors and was not downloaded:\nbad.nqc:4: syntax error\n");
    click(named<QPushButton>(sheet, "okButton"));
    EXPECT_EQ(named<QLineEdit>(window, "programName")->text(), "tasks");

    write("bad.nqc", contents(examplesFolder + "/blink.nqc"));
    named<QAction>(window, "actionDownloadAgain")->trigger();
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(named<QLineEdit>(window, "programName")->text(), "bad");
}

TEST_F(ControllerTest, AFollowedFileIsDownloadedAgainAfterAnEdit)
{
    const QString source = write("follow.nqc", "task main() { On(OUT_A); }\n");
    controller->downloadFile(source);
    const QString first = taskCode(1);
    QCheckBox* follow = named<QCheckBox>(window, "followFileButton");
    follow->setChecked(true);
    write("follow.nqc", "task main() { On(OUT_B); Wait(10); Off(OUT_B); }\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return taskCode(1) != first; }, 10'000));
    write("follow.nqc", "task main() { Wait(; }\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller->compileErrorPanel().isVisible(); }, 10'000));
    QFile::remove(source);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !follow->isChecked(); }, 10'000));
    EXPECT_EQ(named<QLabel>(window, "downloadedFile")->text(), "follow.nqc was removed: it is no longer followed");
}

// A transfer's sheet holds the polls until OK; the link's own failure is the message it keeps.
TEST_F(ControllerTest, ATransfersSheetHoldsThePollsAndKeepsTheLinksMessage)
{
    progress().showStart("Downloading file \"tasks.rcx\"");
    progress().open();
    ticks(30);
    EXPECT_EQ(brick.commands(), QStringList());
    progress().accept();
    ticks(30);
    EXPECT_NE(brick.commands(), QStringList());
    controller->clear();
    controller->datalogPanel().done(30000);
    EXPECT_EQ(progressText(), "RCX memory full");
    EXPECT_EQ(brick.commands(), QStringList({"52 30 75"}));
    ticks(10);
    EXPECT_EQ(brick.commands(), QStringList());
    click(named<QPushButton>(progress(), "fileProgressOKButton"));
    ticks(2);
    EXPECT_EQ(brick.commands().value(0), "30");
    EXPECT_FALSE(controller->towerErrorPanel().isVisible());
    ASSERT_EQ(brick.control("silent on"), "ok");
    controller->downloadFile(programFile);
    EXPECT_EQ(progressText(), "No response from RCX");
    // A datalog upload reads on past the failure and then ends as usual.
    controller->startFileOp("Saving");
    controller->timeout();
    controller->stopFileOp();
    EXPECT_TRUE(progress().isVisible());
    EXPECT_EQ(progressText(), "No response from RCX");
    // A datalog the link failed to bring is not shown.
    controller->showDatalog();
    EXPECT_FALSE(controller->datalogWindow().isVisible());
    EXPECT_EQ(progressText(), "No response from RCX");
}

// brickOS goes in from the open panel; the program went with the old firmware.
TEST_F(ControllerTest, FirmwareInstallOfBrickOS)
{
    controller->downloadFile(programFile);
    click(named<QPushButton>(window, "runStopButton"));
    controller->installFirmware();
    controller->openPanel()->selectFile("/usr/lib/brickos/brickOS.srec");
    static_cast<QDialog*>(controller->openPanel())->accept();
    EXPECT_EQ(named<QLineEdit>(window, "programName")->text() + named<QPushButton>(window, "theButton")->text() + ", " + status(window, "statusProgram"),
              "Download..., Program slot 1");
    EXPECT_TRUE(brick.state()["firmware"].toObject()["unlocked"].toBool());
    brick.commands();
    ticks(2);
    EXPECT_EQ(brick.commands().value(0), "30") << "a refresh follows";
}

TEST_F(StartTest, ABrickWithoutFirmwareIsToldFromOneThatDoesNotAnswer)
{
    SimProcess bare(INFRABRICK_SIM, {"--no-firmware"});
    ASSERT_TRUE(bare.path().starts_with("/dev/"));
    savePort("Serial", "bare", QString::fromStdString(bare.path()));
    launch();
    ticks(3);
    EXPECT_TRUE(controller->timeoutPanel().isVisible());
    EXPECT_EQ(status(window, "statusBrick"), "No firmware on the brick");
}

// The 32 reads take a real tower 3 s: the busy cursor shows, rows fill in as they come.
TEST_F(ControllerTest, TheVariablesFillInUnderTheBusyCursor)
{
    for (int variable = 0; variable < 32; ++variable)
        controller->controller().writeVariable(variable, 1000 + variable);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTableView* view = named<VariableView>(window, "variableView");
    std::set<int> filledWhileBusy;
    const EventWatch watch(view->viewport(), QEvent::Paint, [&] {
        if (const QCursor* cursor = QApplication::overrideCursor(); !cursor || cursor->shape() != Qt::WaitCursor || !view->model())
            return;
        int filled = 0;
        for (int row = 0; row < Variables::rows; ++row)
            filled += view->model()->index(row, Variables::columns.indexOf("Value1")).data().toInt() == 1000 + 2 * row;
        filledWhileBusy.insert(filled);
    });
    named<QTabWidget>(window, "theTabs")->setCurrentIndex(3);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_GE(filledWhileBusy.size(), 8u);
    EXPECT_EQ(filledWhileBusy.count(Variables::rows), 1u);
}

} // namespace
