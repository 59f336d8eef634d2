// The main window's download button and the sheets' endings, each on its
// own; what the controller does with them is ControllerTest's.
#include "app/DatalogPanel.h"
#include "app/DynamicSensorPanel.h"
#include "app/FileProgressPanel.h"
#include "app/MainWindow.h"
#include "app/PreferencesPanel.h"
#include "app/TimeoutPanel.h"
#include "ui_MainWindow.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

// The download button deletes while the slot is full or Alt is held, Alt in
// this window only.
TEST(MainWindowTest, TheDownloadButtonDeletesWhileTheSlotIsFullOrAltIsHeld)
{
    QWidget other;
    other.show();
    MainWindow window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QWidget* field = window.controls().message1;
    auto key = [](QWidget* target, Qt::Key key, bool down) {
        return [=] { down ? QTest::keyPress(target, key, Qt::AltModifier) : QTest::keyRelease(target, key, Qt::NoModifier); };
    };
    const struct { const char* step; std::function<void()> take; bool deletes; } steps[] = {
        {"empty slot", [] {}, false},
        {"Alt pressed", key(field, Qt::Key_Alt, true), true},
        {"Alt released", key(field, Qt::Key_Alt, false), false},
        {"Alt+5 pressed", key(field, Qt::Key_5, true), true},
        {"5 released", key(field, Qt::Key_5, false), false},
        {"Alt pressed in another window", key(&other, Qt::Key_Alt, true), false},
        {"full slot", [&] { window.setSlotEmpty(false); }, true},
        {"Alt pressed and released", [&] { key(field, Qt::Key_Alt, true)(), key(field, Qt::Key_Alt, false)(); }, true},
        {"emptied slot", [&] { window.setSlotEmpty(true); }, false},
    };
    for (const auto& step : steps) {
        step.take();
        EXPECT_EQ(window.isDelete(), step.deletes) << step.step;
        EXPECT_EQ(window.controls().theButton->text(), step.deletes ? "Delete" : "Download...") << step.step;
    }
}

// Each sheet's buttons end it with the code its end handler reads (those the
// controller tests press are left out); a sheet that must be answered is not
// escaped, and Quit ends a sheet it leaves up.
TEST(PanelsTest, ButtonsEndTheirSheetsWithTheirCodes)
{
    QMainWindow window;
    window.show();
    PreferencesPanel preferences(&window);
    DynamicSensorPanel sensor(&window);
    TimeoutPanel timeout(&window, "sheet", "title", "text", true);
    DatalogPanel datalog(&window);
    FileProgressPanel progress(&window);
    auto click = [](QAbstractButton* button) { return [button] { QTest::mouseClick(button, Qt::LeftButton); }; };
    auto escape = [](QDialog& panel) { return [&panel] { QTest::keyClick(&panel, Qt::Key_Escape); }; };
    auto size = [&](const char* typed, QAbstractButton* button) {
        return [&datalog, typed, button] {
            datalog.controls().theValueField->selectAll();
            QTest::keyClicks(datalog.controls().theValueField, typed);
            QTest::mouseClick(button, Qt::LeftButton);
        };
    };
    QAbstractButton* cancel = preferences.controls().prefsCancelButton;
    const auto& times = timeout.controls();
    const std::optional<int> none;
    const struct { const char* ending; QDialog& panel; std::function<void()> end; std::optional<int> code; bool stillShown; } rows[] = {
        {"preferences Cancel", preferences, click(cancel), 0, false},
        {"preferences escaped", preferences, escape(preferences), 0, false},
        {"preferences without Cancel escaped", preferences,
         [&] { cancel->setEnabled(false), escape(preferences)(), cancel->setEnabled(true); }, none, true},
        {"sensor mode escaped", sensor, escape(sensor), 0, false},
        {"timeout Preferences", timeout, click(times.preferencesButton), 0, false},
        {"timeout Firmware", timeout, click(times.firmwareButton), 2, false},
        {"timeout Quit", timeout, click(times.quitButton), 3, true},
        {"timeout escaped", timeout, escape(timeout), none, true},
        {"datalog 25", datalog, size("25", datalog.controls().okButton), 25, false},
        {"datalog -1", datalog, size("-1", datalog.controls().okButton), -1, false},
        {"datalog 300 cancelled", datalog, size("300", datalog.controls().cancelButton), -1, false},
        {"datalog escaped", datalog, escape(datalog), -1, false},
        {"transfer under way escaped", progress, [&] { progress.showStart("Sending"), escape(progress)(); }, none, true},
    };
    for (const auto& row : rows) {
        QSignalSpy finished(&row.panel, &QDialog::finished);
        row.panel.open();
        row.end();
        EXPECT_EQ(finished.isEmpty() ? none : finished.first().first().toInt(), row.code) << row.ending;
        EXPECT_EQ(finished.size(), row.code ? 1 : 0) << row.ending;
        EXPECT_EQ(row.panel.isVisible(), row.stillShown) << row.ending;
        row.panel.hide();
    }
}

// The sheet is drawn before a transfer holds the event loop; its bar shows
// the sum of many small steps, whole, and starts again from 0.
TEST(PanelsTest, TheProgressSheetIsDrawnFirstAndAddsUpItsSteps)
{
    QMainWindow window;
    window.show();
    FileProgressPanel panel(&window);
    QSignalSpy drawn(&panel, &FileProgressPanel::drawn);
    panel.showStart("Downloading");
    panel.openOnScreen();
    EXPECT_TRUE(panel.isVisible() && drawn.count() == 1);
    for (int step = 0; step < 300; ++step)
        panel.incrementBy(100.0 / 300);
    EXPECT_NEAR(panel.progress(), 100.0, 1e-9);
    EXPECT_EQ(panel.controls().fileProgressBar->value(), 99);
    panel.incrementBy(1e-6);
    EXPECT_EQ(panel.controls().fileProgressBar->value(), 100);
    EXPECT_EQ(drawn.count(), 1) << "later paints signal nothing";
    panel.showStart("Again");
    EXPECT_EQ(panel.controls().fileProgressBar->value() + panel.progress(), 0.0);
}

} // namespace
