// The main window and its sheets without the controller.
#include "WindowTest.h"

#include "models/TimeLeft.h"

#include <functional>
#include <optional>

namespace {

using namespace std::chrono_literals;

// Alt counts in this window only.
TEST(MainWindowTest, TheDownloadButtonDeletesWhileTheSlotIsFullOrAltIsHeld)
{
    QWidget other;
    other.show();
    MainWindow window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QWidget* field = named<QSpinBox>(window, "message1");
    auto key = [](QWidget* target, Qt::Key key, bool down) {
        return [=] { down ? QTest::keyPress(target, key, Qt::AltModifier) : QTest::keyRelease(target, key, Qt::NoModifier); };
    };
    const struct { const char* step; std::function<void()> take; bool deletes; } steps[] = {
        {"empty slot", [] {}, false}, {"Alt pressed", key(field, Qt::Key_Alt, true), true},
        {"Alt released", key(field, Qt::Key_Alt, false), false}, {"Alt+5 pressed", key(field, Qt::Key_5, true), true},
        {"5 released", key(field, Qt::Key_5, false), false}, {"Alt pressed in another window", key(&other, Qt::Key_Alt, true), false},
        {"full slot", [&] { window.setSlotEmpty(false); }, true},
        {"Alt pressed and released", [&] { key(field, Qt::Key_Alt, true)(), key(field, Qt::Key_Alt, false)(); }, true},
        {"emptied slot", [&] { window.setSlotEmpty(true); }, false},
    };
    for (const auto& step : steps) {
        step.take();
        EXPECT_EQ(window.isDelete(), step.deletes) << step.step;
    }
}

// With the code its handler reads; a sheet that must be answered is not escaped.
TEST(PanelsTest, ButtonsEndTheirSheetsWithTheirCodes)
{
    QMainWindow window;
    window.show();
    PreferencesPanel preferences(&window);
    TimeoutPanel timeout(&window, "sheet", "title", "text", true);
    DatalogPanel datalog(&window);
    FileProgressPanel progress(&window);
    auto click = [](QAbstractButton* button) { return [button] { QTest::mouseClick(button, Qt::LeftButton); }; };
    auto escape = [](QDialog& panel) { return [&panel] { QTest::keyClick(&panel, Qt::Key_Escape); }; };
    auto size = [&](const char* typed, QAbstractButton* button) {
        return [&datalog, typed, button] {
            named<QSpinBox>(datalog, "theValueField")->selectAll();
            QTest::keyClicks(named<QSpinBox>(datalog, "theValueField"), typed);
            QTest::mouseClick(button, Qt::LeftButton);
        };
    };
    QAbstractButton* cancel = named<QPushButton>(preferences, "prefsCancelButton");
    const std::optional<int> none; // not ended: still shown
    const struct { const char* ending; QDialog& panel; std::function<void()> end; std::optional<int> code; } rows[] = {
        {"preferences escaped", preferences, escape(preferences), 0},
        {"preferences without Cancel escaped", preferences, [&] { cancel->setEnabled(false), escape(preferences)(), cancel->setEnabled(true); }, none},
        {"timeout Preferences", timeout, click(named<QPushButton>(timeout, "preferencesButton")), 0},
        {"timeout Firmware", timeout, click(named<QPushButton>(timeout, "firmwareButton")), 2},
        {"timeout escaped", timeout, escape(timeout), none},
        {"datalog 25", datalog, size("25", named<QPushButton>(datalog, "okButton")), 25},
        {"datalog -1", datalog, size("-1", named<QPushButton>(datalog, "okButton")), -1},
        {"datalog 300 cancelled", datalog, size("300", named<QPushButton>(datalog, "cancelButton")), -1},
        {"datalog escaped", datalog, escape(datalog), -1},
        {"transfer under way escaped", progress, [&] { progress.showStart("Sending"), escape(progress)(); }, none},
    };
    for (const auto& row : rows) {
        QSignalSpy finished(&row.panel, &QDialog::finished);
        row.panel.open();
        row.end();
        EXPECT_EQ(finished.size() == 1 ? std::optional(finished.first().first().toInt()) : none, row.code) << row.ending;
        EXPECT_EQ(row.panel.isVisible(), !row.code) << row.ending;
        row.panel.hide();
    }
}

TEST(TimeLeftTest, FromThePaceSinceTheFirstBlock)
{
    // The percent reached at each time; the time before the first block is not counted.
    using Steps = std::vector<std::pair<double, std::chrono::milliseconds>>;
    const struct { const char* name; Steps steps; std::optional<std::chrono::seconds> left; const char* text; } cases[] = {
        {"one block", {{2, 1500ms}}, std::nullopt, ""}, {"steady", {{10, 5000ms}, {20, 6000ms}, {30, 7000ms}}, 7s, "About 0:07 left"},
        {"done", {{50, 1000ms}, {100, 2000ms}}, 0s, "About 0:00 left"}, {"no progress", {{40, 1000ms}, {40, 3000ms}}, std::nullopt, ""},
    };
    for (const auto& each : cases) {
        TimeLeft estimate;
        estimate.reached(99, 0ms); // a transfer before
        estimate.restart();
        for (const auto& [percent, at] : each.steps)
            estimate.reached(percent, at);
        EXPECT_EQ(estimate.left(), each.left) << each.name;
        EXPECT_EQ(TimeLeft::text(estimate.left()), each.text) << each.name;
    }
}

int leftIn(const QWidget* widget, const QWidget* ancestor) { return widget->mapTo(ancestor, QPoint(0, 0)).x(); }
int centreIn(const QWidget* widget, const QWidget* ancestor) { return widget->mapTo(ancestor, widget->rect().center()).x(); }

// No box grows beyond its controls; the power fields line up with the sensor menus.
TEST(WindowLayoutTest, TheTestTabKeepsItsControlsTogetherAndAligned)
{
    MainWindow window;
    window.show();
    for (QSize size : {QSize(1024, 700), QSize(1920, 1080)}) {
        window.resize(size);
        QApplication::processEvents();
        const QWidget* tab = named<QWidget>(window, "Test");
        for (const auto& [output, sensor] : {std::pair("A", "1"), {"B", "2"}, {"C", "3"}}) {
            auto part = [&](const char* pattern, const char* which) { return named<QWidget>(window, QString(pattern).arg(which).toUtf8()); };
            SCOPED_TRACE(std::string(output) + " at " + std::to_string(size.width()));
            for (QWidget* box : {part("output%1Group", output), part("sensor%1Group", sensor)})
                EXPECT_EQ(box->height(), box->sizeHint().height());
            EXPECT_LE(std::abs(centreIn(part("output%1DirButton", output), tab) - centreIn(part("output%1StopGoButton", output), tab)), 1);
            EXPECT_EQ(leftIn(part("output%1PowerButton", output), tab), leftIn(part("sensor%1TypeButton", sensor), tab));
        }
    }
}

TEST(WindowLayoutTest, ARestoredFrameFitsTheScreen)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    MainWindow large;
    large.setGeometry(available.x() + 300, available.y() + 200, available.width() + 1000, available.height() + 500);
    MainWindow window;
    window.restoreFrame(large.saveGeometry());
    // Within the screen, or no larger than the window can be, from its corner.
    const QRect allowed = available.united(QRect(available.topLeft(), window.minimumSizeHint()));
    EXPECT_TRUE(allowed.contains(window.geometry())) << window.geometry().width() << "x" << window.geometry().height();
}

} // namespace
