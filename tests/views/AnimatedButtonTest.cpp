#include "Pictures.h"

#include "views/AnimatedButton.h"

#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A strip whose frame i is a square of its own colour, framed in black.
QColor frameColour(int frame)
{
    return QColor::fromHsv(frame * 20, 255, 255).toRgb();
}

QImage numberedStrip()
{
    QImage strip(720, 40, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::black);
    QPainter painter(&strip);
    for (int frame = 0; frame < 18; ++frame)
        painter.fillRect(40 * frame + 1, 1, 38, 38, frameColour(frame));
    return strip;
}

TEST(AnimatedButtonCell, StepsThroughEighteenFramesBothWays)
{
    AnimatedButtonCell cell(numberedStrip());
    EXPECT_EQ(cell.frame(), 0);
    for (int step = 1; step <= 17; ++step)
        cell.nextFrame();
    EXPECT_EQ(cell.frame(), 17);
    cell.nextFrame();
    EXPECT_EQ(cell.frame(), 0);
    cell.lastFrame();
    EXPECT_EQ(cell.frame(), 17);
    cell.lastFrame();
    EXPECT_EQ(cell.frame(), 16);
}

TEST(AnimatedButtonCell, FrameFiveComesFromItsSquareOfTheStrip)
{
    AnimatedButtonCell cell(numberedStrip());
    for (int step = 0; step < 5; ++step)
        cell.nextFrame();
    EXPECT_EQ(cell.sourceRect(), QRect(201, 1, 38, 38));

    // A 48 x 48 cell shows the frame in (5, 4) to (42, 41): inset by 5, one up.
    QImage face(48, 48, QImage::Format_ARGB32_Premultiplied);
    face.fill(Qt::white);
    QPainter painter(&face);
    cell.drawInterior(painter, face.rect());
    painter.end();
    EXPECT_EQ(face.pixelColor(24, 24), frameColour(5));
    EXPECT_EQ(face.pixelColor(5, 4), frameColour(5));
    EXPECT_EQ(face.pixelColor(42, 41), frameColour(5));
    EXPECT_EQ(face.pixelColor(24, 42), QColor(Qt::white));
    EXPECT_EQ(face.pixelColor(24, 3), QColor(Qt::white));
    EXPECT_EQ(face.pixelColor(4, 24), QColor(Qt::white));
    EXPECT_EQ(face.pixelColor(43, 24), QColor(Qt::white));
}

TEST(AnimatedButtonCell, TheGearsDarkenTheFaceBeneath)
{
    AnimatedButtonCell cell(solidImage({720, 40}, QColor(128, 128, 128), QColor(128, 128, 128)));
    QImage face(48, 48, QImage::Format_ARGB32_Premultiplied);
    face.fill(QColor(200, 100, 50));
    QPainter painter(&face);
    cell.drawInterior(painter, face.rect());
    painter.end();
    const QColor darkened = face.pixelColor(24, 24);
    EXPECT_NEAR(darkened.red(), 100, 1);
    EXPECT_NEAR(darkened.green(), 50, 1);
    EXPECT_NEAR(darkened.blue(), 25, 1);
}

TEST(AnimatedButton, IsAnUntitledTwoStateButtonWhoseFramesStep)
{
    AnimatedButton button;
    EXPECT_TRUE(button.isCheckable());
    EXPECT_TRUE(button.text().isEmpty());
    EXPECT_FALSE(button.cell().sourceRect().isEmpty());
    button.resize(48, 48);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_TRUE(button.isChecked());
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_FALSE(button.isChecked());

    button.lastFrame();
    EXPECT_EQ(button.cell().frame(), 17);
    button.nextFrame();
    button.nextFrame();
    EXPECT_EQ(button.cell().frame(), 1);
}

TEST(AnimatedButton, TheGearsStripIsARealPictureOfEighteenFrames)
{
    const QImage strip(QStringLiteral(":/images/gears.png"));
    ASSERT_EQ(strip.size(), QSize(720, 40));
    for (int frame = 0; frame < 18; ++frame) {
        // Each frame draws something opaque in its square and differs from
        // the one before: the gears turn.
        const QImage square = strip.copy(40 * frame + 1, 1, 38, 38);
        const QImage previous = strip.copy(40 * ((frame + 17) % 18) + 1, 1, 38, 38);
        EXPECT_EQ(square.pixelColor(19, 19).alpha(), 255) << frame;
        EXPECT_NE(square, previous) << frame;
    }
}

} // namespace
