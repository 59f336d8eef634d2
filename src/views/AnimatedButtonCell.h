#pragma once

#include <QImage>
#include <QRect>

class QPainter;

// The turning gears of a stop/go button: one frame of an 18-frame strip of
// 40 x 40 cells (720 x 40 in all), drawn over the button's face. The picture
// of frame i is the 38 x 38 square at (40·i + 1, 1).
class AnimatedButtonCell {
public:
    static constexpr int frameCount = 18;

    // The gears strip of the application's resources, or another strip of the
    // same geometry.
    explicit AnimatedButtonCell(const QImage& strip = QImage(QStringLiteral(":/images/gears.png")));

    void nextFrame();
    void lastFrame();
    int frame() const { return currentFrame; }

    // The square of the strip that the current frame is drawn from.
    QRect sourceRect() const;
    // Draws the current frame into `cellFrame` inset by 5 on every side and
    // raised by one unit, darkening the face beneath.
    void drawInterior(QPainter& painter, const QRect& cellFrame) const;

private:
    QImage imageStrip;
    int currentFrame = 0;
};
