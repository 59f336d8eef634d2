// Renders each view with the application's own pictures into PNG files under
// the build folder's pictures/, for people to look at, and checks that the
// artwork arrived in them.
#include "Pictures.h"

#include "views/AnimatedButton.h"
#include "views/DatalogLevel.h"
#include "views/DropBox.h"
#include "views/LevelMeter.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// A row of views on a window background.
QImage windowPicture(QWidget& window)
{
    window.setAutoFillBackground(true);
    window.adjustSize();
    return window.grab().toImage();
}

int opaqueColouredPixels(const QImage& picture, const QColor& background)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            count += picture.pixelColor(x, y) != background;
    return count;
}

TEST(ViewPictures, BatteryAndDatalogMeters)
{
    const QImage batteryFull(QStringLiteral(":/images/BatteryFull.png"));
    const QImage batteryEmpty(QStringLiteral(":/images/BatteryEmpty.png"));
    const QImage notebookFull(QStringLiteral(":/images/NotebookFull.png"));
    const QImage notebookEmpty(QStringLiteral(":/images/NotebookEmpty.png"));
    ASSERT_FALSE(batteryFull.isNull());
    ASSERT_FALSE(notebookFull.isNull());
    EXPECT_EQ(batteryFull.size(), batteryEmpty.size());
    EXPECT_EQ(notebookFull.size(), notebookEmpty.size());
    EXPECT_FALSE(QImage(QStringLiteral(":/images/NotebookDrag.png")).isNull());

    QWidget window;
    auto* row = new QHBoxLayout(&window);
    for (float volts : {6.8f, 7.6f, 8.4f, 9.6f}) {
        auto* battery = new LevelMeter;
        battery->setFixedSize(batteryFull.size());
        battery->setFullImage(batteryFull, batteryEmpty);
        battery->setMaxLevel(9.0f, 6.5f);
        battery->setLevel(volts);
        row->addWidget(battery);
    }
    for (float used : {0.0f, 300.0f, 700.0f}) {
        auto* datalog = new DatalogLevel;
        datalog->setFixedSize(notebookFull.size());
        datalog->setFullImage(notebookFull, notebookEmpty);
        datalog->setMaxLevel(1000, 0);
        datalog->setLevel(used);
        row->addWidget(datalog);
    }
    const QImage picture = windowPicture(window);
    savePicture(picture, "meters");
    const QColor background = window.palette().color(QPalette::Window);
    EXPECT_GT(opaqueColouredPixels(picture, background), picture.width() * picture.height() / 3);
}

TEST(ViewPictures, StopGoButtons)
{
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    for (int frame : {0, 5, 11}) {
        auto* button = new AnimatedButton;
        button->setFixedSize(48, 48);
        for (int step = 0; step < frame; ++step)
            button->nextFrame();
        button->setChecked(frame == 5);
        row->addWidget(button);
    }
    const QImage picture = windowPicture(window);
    savePicture(picture, "buttons");

    AnimatedButton button;
    button.setFixedSize(48, 48);
    const QImage face = button.grab().toImage();
    // The gears are steel grey and brass: coloured pixels in the middle.
    const QColor middle = face.pixelColor(19, 27);
    EXPECT_LT(middle.lightness(), 235);
}

TEST(ViewPictures, DropBoxOutlined)
{
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    auto* box = new DropBox;
    box->setFixedSize(160, 60);
    auto* inside = new QHBoxLayout(box);
    inside->addWidget(new QLabel(QStringLiteral("Drop a program here")), 0, Qt::AlignCenter);
    row->addWidget(box);
    savePicture(windowPicture(window), "dropbox");

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/home/u/prog.rcx"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    ASSERT_TRUE(box->isTarget());
    const QImage outlined = windowPicture(window);
    savePicture(outlined, "dropbox-outlined");
    const QPoint corner = box->mapTo(&window, QPoint(0, 0));
    EXPECT_EQ(outlined.pixelColor(corner + QPoint(0, 30)), box->palette().color(QPalette::Highlight));
}

} // namespace
