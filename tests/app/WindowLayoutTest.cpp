// How the window and its sheets are laid out, as a person sees them: the
// "Test" tab compact and aligned, the preferences one form, and a window
// frame that fits the screen it opens on.
#include <QApplication>

#include "app/MainWindow.h"
#include "app/PreferencesPanel.h"
#include "ui_MainWindow.h"

#include <QScreen>
#include <gtest/gtest.h>

namespace {

// Where `widget` begins, or its centre, across `ancestor`.
int leftIn(const QWidget* widget, const QWidget* ancestor) { return widget->mapTo(ancestor, QPoint(0, 0)).x(); }
int centreIn(const QWidget* widget, const QWidget* ancestor) { return widget->mapTo(ancestor, widget->rect().center()).x(); }

// No box grows beyond its controls, however large the window; a direction
// button sits under its gears, and the power fields line up with the sensor
// menus, the labels beside them setting the column alone.
TEST(WindowLayoutTest, TheTestTabKeepsItsControlsTogetherAndAligned)
{
    MainWindow window;
    auto& ui = window.controls();
    window.show();
    // Each column: its output box, gears, reverse, power, sensor box, sensor type.
    const QWidget* columns[][6] = {
        {ui.outputAGroup, ui.outputAStopGoButton, ui.outputADirButton, ui.outputAPowerButton, ui.sensor1Group, ui.sensor1TypeButton},
        {ui.outputBGroup, ui.outputBStopGoButton, ui.outputBDirButton, ui.outputBPowerButton, ui.sensor2Group, ui.sensor2TypeButton},
        {ui.outputCGroup, ui.outputCStopGoButton, ui.outputCDirButton, ui.outputCPowerButton, ui.sensor3Group, ui.sensor3TypeButton},
    };
    for (QSize size : {QSize(1024, 700), QSize(1920, 1080)}) {
        window.resize(size);
        QApplication::processEvents();
        for (const auto& [output, gear, reverse, power, sensor, type] : columns) {
            SCOPED_TRACE(output->objectName().toStdString() + " at " + std::to_string(size.width()));
            EXPECT_EQ(output->height(), output->sizeHint().height());
            EXPECT_EQ(sensor->height(), sensor->sizeHint().height());
            EXPECT_LE(std::abs(centreIn(reverse, ui.Test) - centreIn(gear, ui.Test)), 1);
            EXPECT_EQ(leftIn(power, ui.Test), leftIn(type, ui.Test));
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
    for (const QWidget* field : std::initializer_list<const QWidget*>{ui.prefsBatteryRateMenu, ui.prefsInputRateMenu, ui.prefsDatalogRateMenu, ui.prefsBatteryTypeMenu,
             ui.prefsRCXTypeMenu, ui.prefsDatalogFilenameField, ui.prefsSyncWatch})
        EXPECT_EQ(leftIn(field, &panel), leftIn(ui.prefsSerialPortMenu, &panel)) << field->objectName().toStdString();
}

// A frame saved on a larger screen opens within this one.
TEST(WindowLayoutTest, ARestoredFrameFitsTheScreen)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    MainWindow large;
    large.setGeometry(available.x() + 300, available.y() + 200, available.width() + 1000, available.height() + 500);
    MainWindow window;
    window.restoreFrame(large.saveGeometry());
    const QSize least = window.minimumSizeHint();
    EXPECT_LE(window.width(), std::max(available.width(), least.width()));
    EXPECT_LE(window.height(), std::max(available.height(), least.height()));
    EXPECT_GE(window.x(), available.left());
    EXPECT_GE(window.y(), available.top());
    EXPECT_LE(window.geometry().bottom(), std::max(available.bottom(), available.top() + least.height()));
}

} // namespace
