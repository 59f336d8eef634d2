// The tests run inside the one QApplication that support/GuiTestMain.cpp creates.
#include <QApplication>

#include "app/DatalogPanel.h"
#include "app/DynamicSensorPanel.h"
#include "app/FileProgressPanel.h"
#include "app/PreferencesPanel.h"
#include "app/TimeoutPanel.h"

#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Opens a panel as a sheet of a window, presses one of its buttons and
// reports how the sheet ended.
class PanelsTest : public ::testing::Test {
protected:
    PanelsTest()
    {
        window.show();
    }

    struct Ending {
        int finishedCount;
        int code;
        bool stillShown;
    };

    Ending press(QDialog& panel, QAbstractButton* button)
    {
        return end(panel, [button] { QTest::mouseClick(button, Qt::LeftButton); });
    }

    Ending end(QDialog& panel, const std::function<void()>& action)
    {
        QSignalSpy finished(&panel, &QDialog::finished);
        panel.open();
        EXPECT_TRUE(panel.isVisible());
        EXPECT_EQ(panel.windowModality(), Qt::WindowModal);
        action();
        return {static_cast<int>(finished.count()), finished.isEmpty() ? -100 : finished.first().first().toInt(),
                panel.isVisible()};
    }

    static void escape(QDialog& panel) { QTest::keyClick(&panel, Qt::Key_Escape); }

    QMainWindow window;
};

TEST_F(PanelsTest, PreferencesOKAndCancel)
{
    PreferencesPanel panel(&window);
    auto ok = press(panel, panel.controls().prefsOKButton);
    EXPECT_EQ(ok.finishedCount, 1);
    EXPECT_EQ(ok.code, 1);
    EXPECT_FALSE(ok.stillShown);
    auto cancel = press(panel, panel.controls().prefsCancelButton);
    EXPECT_EQ(cancel.code, 0);
    EXPECT_FALSE(cancel.stillShown);
}

TEST_F(PanelsTest, PreferencesWithoutCancelCannotBeEscaped)
{
    PreferencesPanel panel(&window);
    panel.controls().prefsCancelButton->setEnabled(false);
    auto ending = end(panel, [&] {
        escape(panel);
        panel.reject();
    });
    EXPECT_EQ(ending.finishedCount, 0);
    EXPECT_TRUE(ending.stillShown);
    panel.controls().prefsCancelButton->setEnabled(true);
    escape(panel);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(panel.result(), 0);
}

TEST_F(PanelsTest, DynamicSensorOKAndCancel)
{
    DynamicSensorPanel panel(&window);
    EXPECT_EQ(press(panel, panel.controls().okButton).code, 1);
    EXPECT_EQ(press(panel, panel.controls().cancelButton).code, 0);
    auto escaped = end(panel, [&] { escape(panel); });
    EXPECT_EQ(escaped.code, 0);
    EXPECT_EQ(panel.controls().dynamicSensorModeMenu->count(), 8);
}

TEST_F(PanelsTest, TimeoutButtonsEndWithTheirCodes)
{
    TimeoutPanel panel(&window, "sheet", "title", "text", true);
    auto& ui = panel.controls();
    struct Case {
        QAbstractButton* button;
        int code;
        bool stillShown;
    } cases[] = {{ui.okButton, 1, false},
                 {ui.preferencesButton, 0, false},
                 {ui.firmwareButton, 2, false},
                 {ui.quitButton, 3, true}};
    for (const Case& c : cases) {
        auto ending = press(panel, c.button);
        EXPECT_EQ(ending.finishedCount, 1) << c.button->text().toStdString();
        EXPECT_EQ(ending.code, c.code) << c.button->text().toStdString();
        EXPECT_EQ(ending.stillShown, c.stillShown) << c.button->text().toStdString();
        panel.hide();
    }
    EXPECT_EQ(ui.titleLabel->text(), "title");
    EXPECT_EQ(ui.textLabel->text(), "text");
}

TEST_F(PanelsTest, TimeoutSheetCannotBeEscaped)
{
    TimeoutPanel panel(&window, "sheet", "title", "text", true);
    auto ending = end(panel, [&] { escape(panel); });
    EXPECT_EQ(ending.finishedCount, 0);
    EXPECT_TRUE(ending.stillShown);
}

TEST_F(PanelsTest, TowerErrorSheetOffersNoFirmware)
{
    TimeoutPanel panel(&window, "sheet", "title", "text", false);
    panel.open();
    EXPECT_FALSE(panel.controls().firmwareButton->isVisible());
    EXPECT_TRUE(panel.controls().okButton->isVisible());
}

TEST_F(PanelsTest, DatalogEndsWithTheSizeTypedOrMinusOne)
{
    DatalogPanel panel(&window);
    auto& ui = panel.controls();
    struct Case {
        const char* typed;
        QAbstractButton* button;
        int code;
    } cases[] = {{"25", ui.okButton, 25},
                 {"0", ui.okButton, 0},
                 {"-1", ui.okButton, -1},
                 {"300", ui.cancelButton, -1}};
    for (const Case& c : cases) {
        auto ending = end(panel, [&] {
            ui.theValueField->selectAll();
            QTest::keyClicks(ui.theValueField, c.typed);
            QTest::mouseClick(c.button, Qt::LeftButton);
        });
        EXPECT_EQ(ending.code, c.code) << c.typed;
        EXPECT_FALSE(ending.stillShown);
    }
    EXPECT_EQ(end(panel, [&] { escape(panel); }).code, -1);
}

TEST_F(PanelsTest, FileProgressKeepsTheSumOfSmallSteps)
{
    FileProgressPanel panel(&window);
    auto& ui = panel.controls();
    panel.showStart("Downloading");
    panel.open();
    EXPECT_FALSE(ui.fileProgressOKButton->isEnabled());
    EXPECT_EQ(ui.fileProgressText->text(), "Downloading");
    for (int step = 0; step < 300; ++step)
        panel.incrementBy(100.0 / 300);
    EXPECT_NEAR(panel.progress(), 100.0, 1e-9);
    EXPECT_EQ(ui.fileProgressBar->value(), 99); // 99.999... shown whole
    panel.incrementBy(1e-6);
    EXPECT_EQ(ui.fileProgressBar->value(), 100);
}

// Counts the paint events of a widget.
class PaintCounter : public QObject {
public:
    int count = 0;

    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(PanelsTest, FileProgressIsDrawnBeforeTheTransferHoldsTheLoop)
{
    FileProgressPanel panel(&window);
    PaintCounter paints;
    panel.installEventFilter(&paints);
    QSignalSpy drawn(&panel, &FileProgressPanel::drawn);
    panel.showStart("Downloading");
    panel.openOnScreen();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(drawn.count(), 1);
    EXPECT_GE(paints.count, 1);
    // Later paints (progress) no longer signal.
    panel.incrementBy(50);
    EXPECT_EQ(drawn.count(), 1);
}

TEST_F(PanelsTest, FileProgressClosesOnlyOnceOKIsOffered)
{
    FileProgressPanel panel(&window);
    panel.showStart("Downloading");
    auto running = end(panel, [&] { escape(panel); });
    EXPECT_EQ(running.finishedCount, 0);
    EXPECT_TRUE(running.stillShown);
    panel.showFailure("RCX memory full");
    EXPECT_EQ(panel.controls().fileProgressText->text(), "RCX memory full");
    auto failed = press(panel, panel.controls().fileProgressOKButton);
    EXPECT_EQ(failed.finishedCount, 1);
    EXPECT_FALSE(failed.stillShown);
    panel.showStart("Again");
    EXPECT_EQ(panel.controls().fileProgressBar->value(), 0);
    EXPECT_EQ(panel.progress(), 0.0);
}

} // namespace
