#include "views/AnimatedButton.h"

#include <QPainter>

AnimatedButton::AnimatedButton(QWidget* parent)
    : QPushButton(QString(), parent)
{
    setCheckable(true);
}

void AnimatedButton::nextFrame()
{
    buttonCell.nextFrame();
    update();
}

void AnimatedButton::lastFrame()
{
    buttonCell.lastFrame();
    update();
}

// Room for the 38 x 38 picture inside the 5-unit margin.
QSize AnimatedButton::sizeHint() const
{
    return QPushButton::sizeHint().expandedTo(QSize(48, 48));
}

void AnimatedButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    QPainter painter(this);
    buttonCell.drawInterior(painter, rect());
}
