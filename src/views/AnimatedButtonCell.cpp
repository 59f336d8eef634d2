#include "views/AnimatedButtonCell.h"

#include <QPainter>

AnimatedButtonCell::AnimatedButtonCell(const QImage& strip)
    : imageStrip(strip)
{
}

void AnimatedButtonCell::nextFrame()
{
    currentFrame = (currentFrame + 1) % frameCount;
}

void AnimatedButtonCell::lastFrame()
{
    currentFrame = (currentFrame + frameCount - 1) % frameCount;
}

QRect AnimatedButtonCell::sourceRect() const
{
    return QRect(40 * currentFrame + 1, 1, 38, 38);
}

void AnimatedButtonCell::drawInterior(QPainter& painter, const QRect& cellFrame) const
{
    const QRectF destination = QRectF(cellFrame).adjusted(5, 5, -5, -5).translated(0, -1);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.drawImage(destination, imageStrip, sourceRect());
    painter.restore();
}
