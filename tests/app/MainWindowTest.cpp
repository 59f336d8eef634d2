// The tests run inside the one QApplication that support/GuiTestMain.cpp creates.
#include <QApplication>

#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QString buttonTitle() { return window.controls().theButton->text(); }
    void alt(bool down)
    {
        QWidget* target = window.controls().message1;
        if (down)
            QTest::keyPress(target, Qt::Key_Alt, Qt::AltModifier);
        else
            QTest::keyRelease(target, Qt::Key_Alt, Qt::NoModifier);
    }

    MainWindow window;
};

TEST_F(MainWindowTest, AnEmptySlotDownloads)
{
    EXPECT_EQ(buttonTitle(), "Download...");
    EXPECT_FALSE(window.isDelete());
}

TEST_F(MainWindowTest, AFullSlotDeletes)
{
    window.setSlotEmpty(false);
    EXPECT_EQ(buttonTitle(), "Delete");
    EXPECT_TRUE(window.isDelete());
    window.setSlotEmpty(true);
    EXPECT_EQ(buttonTitle(), "Download...");
    EXPECT_FALSE(window.isDelete());
}

TEST_F(MainWindowTest, AltTurnsDownloadIntoDeleteWhileHeld)
{
    alt(true);
    EXPECT_EQ(buttonTitle(), "Delete");
    EXPECT_TRUE(window.isDelete());
    alt(false);
    EXPECT_EQ(buttonTitle(), "Download...");
    EXPECT_FALSE(window.isDelete());
}

TEST_F(MainWindowTest, ReleasingAltKeepsDeleteForAFullSlot)
{
    window.setSlotEmpty(false);
    alt(true);
    alt(false);
    EXPECT_EQ(buttonTitle(), "Delete");
    EXPECT_TRUE(window.isDelete());
}

TEST_F(MainWindowTest, AltWithAnotherKeyCountsAsHeld)
{
    QTest::keyPress(window.controls().message1, Qt::Key_5, Qt::AltModifier);
    EXPECT_TRUE(window.isDelete());
    QTest::keyRelease(window.controls().message1, Qt::Key_5, Qt::NoModifier);
    EXPECT_FALSE(window.isDelete());
}

TEST_F(MainWindowTest, KeysOfOtherWindowsAreNotFollowed)
{
    QWidget other;
    other.show();
    QTest::keyPress(&other, Qt::Key_Alt, Qt::AltModifier);
    EXPECT_FALSE(window.isDelete());
}

TEST_F(MainWindowTest, ClosingTellsTheController)
{
    QSignalSpy closing(&window, &MainWindow::windowWillClose);
    window.close();
    EXPECT_EQ(closing.count(), 1);
}

TEST_F(MainWindowTest, TabsCarryTheirIdentifiers)
{
    QTabWidget* tabs = window.controls().theTabs;
    ASSERT_EQ(tabs->count(), 4);
    const char* identifiers[] = {"Test", "Run", "Memory", "Variables"};
    for (int index = 0; index < 4; ++index) {
        EXPECT_EQ(tabs->widget(index)->objectName(), identifiers[index]);
        EXPECT_EQ(tabs->tabText(index), identifiers[index]);
    }
}

TEST_F(MainWindowTest, SlotButtonsAreNumberedOneToFiveAndExclusive)
{
    QButtonGroup* slotGroup = window.controls().progNumButton;
    ASSERT_EQ(slotGroup->buttons().size(), 5);
    for (int slot = 1; slot <= 5; ++slot) {
        ASSERT_NE(slotGroup->button(slot), nullptr);
        EXPECT_EQ(slotGroup->button(slot)->text(), QString::number(slot));
    }
    slotGroup->button(2)->click();
    slotGroup->button(4)->click();
    EXPECT_EQ(slotGroup->checkedId(), 4);
    EXPECT_FALSE(slotGroup->button(2)->isChecked());
}

TEST_F(MainWindowTest, SensorMenusListTypesAndModesInTheBricksOrder)
{
    auto& ui = window.controls();
    for (QComboBox* type : {ui.sensor1TypeButton, ui.sensor2TypeButton, ui.sensor3TypeButton}) {
        ASSERT_EQ(type->count(), 5);
        EXPECT_EQ(type->itemText(0), "None");
        EXPECT_EQ(type->itemText(2), "Temperature");
        EXPECT_EQ(type->itemText(4), "Rotation");
    }
    for (QComboBox* mode : {ui.sensor1ModeButton, ui.sensor2ModeButton, ui.sensor3ModeButton}) {
        ASSERT_EQ(mode->count(), 9);
        EXPECT_EQ(mode->itemText(0), "Raw");
        EXPECT_EQ(mode->itemText(5), "Celsius");
        EXPECT_EQ(mode->itemText(7), "Angle");
        EXPECT_EQ(mode->itemText(8), "With Slope...");
    }
}

TEST_F(MainWindowTest, PowerControlsRunFromOneToEight)
{
    auto& ui = window.controls();
    for (QSlider* power : {ui.outputAPowerButton, ui.outputBPowerButton, ui.outputCPowerButton}) {
        EXPECT_EQ(power->minimum(), 1);
        EXPECT_EQ(power->maximum(), 8);
    }
    ui.outputBPowerButton->setValue(3);
    EXPECT_EQ(ui.outputBPowerValue->text(), "3");
}

TEST_F(MainWindowTest, FitsASmallScreen)
{
    QSize smallest = window.minimumSizeHint().expandedTo(window.minimumSize());
    EXPECT_LE(smallest.width(), 1024);
    EXPECT_LE(smallest.height(), 700);
    window.resize(1024, 700);
    EXPECT_EQ(window.size(), QSize(1024, 700));
}

TEST_F(MainWindowTest, MenusOfferTheActionsWithTheirShortcuts)
{
    auto& ui = window.controls();
    EXPECT_EQ(ui.actionDownload->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(ui.actionSaveDatalog->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(ui.actionCopy->shortcut(), QKeySequence::Copy);
    EXPECT_EQ(ui.actionQuit->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(ui.actionPreferences->shortcut(), QKeySequence("Ctrl+,"));
    for (QAction* action : {ui.actionInstallFirmware, ui.actionSetDatalogSize})
        EXPECT_FALSE(action->associatedObjects().isEmpty()) << action->text().toStdString();
}

} // namespace
