// How the window and its sheets are laid out, as a person sees them: the
// "Test" tab compact and aligned, the preferences one form, the About box,
// and a window frame that fits the screen it opens on.
#include <QApplication>

#include "app/MainWindow.h"
#include "app/PreferencesPanel.h"
#include "ui_MainWindow.h"

#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The left edge of `widget` in `ancestor`'s coordinates.
int leftIn(const QWidget* widget, const QWidget* ancestor)
{
    return widget->mapTo(ancestor, QPoint(0, 0)).x();
}

int centreIn(const QWidget* widget, const QWidget* ancestor)
{
    return widget->mapTo(ancestor, widget->rect().center()).x();
}

TEST(WindowLayoutTest, TheTestTabKeepsItsControlsTogetherAndAligned)
{
    MainWindow window;
    auto& ui = window.controls();
    window.show();
    for (QSize size : {QSize(1024, 700), QSize(1920, 1080)}) {
        SCOPED_TRACE(size.width());
        window.resize(size);
        QApplication::processEvents();
        const QWidget* page = ui.Test;
        const struct {
            const QWidget* outputGroup;
            const QWidget* gear;
            const QWidget* reverse;
            const QWidget* power;
            const QWidget* sensorGroup;
            const QWidget* sensorType;
        } columns[] = {
            {ui.outputAGroup, ui.outputAStopGoButton, ui.outputADirButton, ui.outputAPowerButton, ui.sensor1Group,
             ui.sensor1TypeButton},
            {ui.outputBGroup, ui.outputBStopGoButton, ui.outputBDirButton, ui.outputBPowerButton, ui.sensor2Group,
             ui.sensor2TypeButton},
            {ui.outputCGroup, ui.outputCStopGoButton, ui.outputCDirButton, ui.outputCPowerButton, ui.sensor3Group,
             ui.sensor3TypeButton},
        };
        for (const auto& column : columns) {
            SCOPED_TRACE(column.outputGroup->objectName().toStdString());
            // No box grows beyond its controls, however large the window.
            EXPECT_EQ(column.outputGroup->height(), column.outputGroup->sizeHint().height());
            EXPECT_EQ(column.sensorGroup->height(), column.sensorGroup->sizeHint().height());
            EXPECT_LE(std::abs(centreIn(column.reverse, page) - centreIn(column.gear, page)), 1);
            EXPECT_EQ(leftIn(column.power, page), leftIn(column.sensorType, page));
        }
    }
}

TEST(WindowLayoutTest, ThePreferencesAreOneAlignedForm)
{
    QWidget parent;
    PreferencesPanel panel(&parent);
    panel.show();
    QApplication::processEvents();
    auto& ui = panel.controls();
    const QWidget* fields[] = {ui.prefsSerialPortMenu, ui.prefsBatteryRateMenu, ui.prefsInputRateMenu,
                               ui.prefsDatalogRateMenu, ui.prefsBatteryTypeMenu, ui.prefsRCXTypeMenu,
                               ui.prefsDatalogFilenameField, ui.prefsSyncWatch};
    for (const QWidget* field : fields)
        EXPECT_EQ(leftIn(field, &panel), leftIn(fields[0], &panel)) << field->objectName().toStdString();
}

TEST(WindowLayoutTest, TheAboutBoxTellsTheVersionTheLicenceAndTheManual)
{
    MainWindow window;
    window.show();
    window.controls().actionAbout->trigger();
    auto* box = window.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->windowTitle(), "About Infrabrick");
    for (const char* part : {"Infrabrick " INFRABRICK_VERSION, "GPL-3.0-or-later", "man infrabrick"})
        EXPECT_TRUE(box->text().contains(part)) << part;
    box->close();
}

// A frame saved on a larger screen opens within this one.
TEST(WindowLayoutTest, ARestoredFrameFitsTheScreen)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    MainWindow large;
    large.setGeometry(available.x() + 300, available.y() + 200, available.width() + 1000, available.height() + 500);
    const QByteArray saved = large.saveGeometry();

    MainWindow window;
    window.restoreFrame(saved);
    const QSize least = window.minimumSizeHint();
    EXPECT_LE(window.width(), std::max(available.width(), least.width()));
    EXPECT_LE(window.height(), std::max(available.height(), least.height()));
    EXPECT_GE(window.x(), available.left());
    EXPECT_GE(window.y(), available.top());
    EXPECT_LE(window.geometry().bottom(), std::max(available.bottom(), available.top() + least.height()));
}

} // namespace
