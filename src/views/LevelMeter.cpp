#include "views/LevelMeter.h"

#include "rcx/Localization.h"

#include <QLocale>
#include <QPainter>

LevelMeter::LevelMeter(QWidget* parent)
    : QWidget(parent)
{
}

void LevelMeter::setFullImage(const QImage& full, const QImage& empty)
{
    fullImage = full;
    emptyImage = empty;
    update();
}

void LevelMeter::setMaxLevel(float max, float min)
{
    if (max <= min)
        return;
    maxLevel = max;
    minLevel = min;
    if (level < minLevel)
        level = minLevel;
    if (level > maxLevel)
        level = maxLevel;
    update();
}

void LevelMeter::setLevel(float value)
{
    setToolTip(toolTipText(value));
    if (value > maxLevel)
        value = maxLevel;
    if (value < minLevel)
        value = minLevel;
    if (value != level) {
        level = value;
        update();
    }
}

void LevelMeter::setToolTipFormat(const QString& format)
{
    toolTipFormat = format;
    if (visible)
        setToolTip(toolTipText(level));
}

void LevelMeter::setMeterVisible(bool shown)
{
    visible = shown;
    if (!visible)
        setToolTip(QString());
    update();
}

// Without a format the reading is shown as a plain number.
QString LevelMeter::toolTipText(float value) const
{
    if (!toolTipFormat)
        return QLocale().toString(value);
    return QString::fromStdString(formatText(toolTipFormat->toStdString(), {static_cast<double>(value)}));
}

void LevelMeter::paintEvent(QPaintEvent*)
{
    if (!visible)
        return;
    const float f = (level - minLevel) / (maxLevel - minLevel);

    // Qt's y axis points down: the lower slice ends at the bottom edge.
    const QRectF bounds = rect();
    const qreal viewLower = bounds.height() * f;
    const QRectF viewFull(bounds.left(), bounds.bottom() - viewLower, bounds.width(), viewLower);
    const QRectF viewEmpty(bounds.left(), bounds.top(), bounds.width(), bounds.height() - viewLower);

    const QRectF picture(QPointF(0, 0), fullImage.size());
    const qreal pictureLower = picture.height() * f;
    const QRectF pictureFull(0, picture.height() - pictureLower, picture.width(), pictureLower);
    const QRectF pictureEmpty(0, 0, picture.width(), picture.height() - pictureLower);

    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    if (f > 0)
        painter.drawImage(viewFull, fullImage, pictureFull);
    if (f < 1)
        painter.drawImage(viewEmpty, emptyImage, pictureEmpty);
}
