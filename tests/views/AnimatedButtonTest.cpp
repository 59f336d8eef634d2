// The stop/go button: an untitled two-state button whose gears, a strip of
// eighteen frames, step both ways and darken the face they are drawn on.
#include "Pictures.h"

#include "views/AnimatedButton.h"

#include <QPainter>

namespace {

// A strip whose frame i is a square of its own colour, framed in black.
QColor frameColour(int frame) { return QColor::fromHsv(frame * 20, 255, 255).toRgb(); }

QImage face(const AnimatedButtonCell& cell, QColor colour)
{
    QImage face(48, 48, QImage::Format_ARGB32_Premultiplied);
    face.fill(colour);
    QPainter painter(&face);
    cell.drawInterior(painter, face.rect());
    return face;
}

TEST(AnimatedButtonCell, DrawsItsFrameOfTheStripInsideTheFaceDarkeningIt)
{
    QImage strip(720, 40, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::black);
    QPainter painter(&strip);
    for (int frame = 0; frame < 18; ++frame)
        painter.fillRect(40 * frame + 1, 1, 38, 38, frameColour(frame));
    painter.end();
    AnimatedButtonCell cell(strip);
    const std::pair<void (AnimatedButtonCell::*)(), int> steps[] = {
        {&AnimatedButtonCell::lastFrame, 17}, {&AnimatedButtonCell::lastFrame, 16}, {&AnimatedButtonCell::nextFrame, 17},
        {&AnimatedButtonCell::nextFrame, 0},  {&AnimatedButtonCell::nextFrame, 1}};
    for (const auto& [step, frame] : steps)
        EXPECT_EQ(((cell.*step)(), cell.frame()), frame);
    for (int step = 0; step < 4; ++step)
        cell.nextFrame();
    EXPECT_EQ(face(cell, Qt::white).pixelColor(24, 22), frameColour(5));

    QImage grey(720, 40, QImage::Format_RGB32);
    grey.fill(QColor(128, 128, 128));
    const QColor darkened = face(AnimatedButtonCell(grey), QColor(200, 100, 50)).pixelColor(24, 24);
    EXPECT_LE(std::abs(darkened.red() - 100) + std::abs(darkened.green() - 50) + std::abs(darkened.blue() - 25), 3)
        << darkened.name().toStdString();
}

} // namespace
