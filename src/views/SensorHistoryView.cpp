#include "views/SensorHistoryView.h"

#include "views/SensorValueText.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int margin = 3;
constexpr double lineWidth = 1;

} // namespace

SensorHistoryView::SensorHistoryView(QWidget* parent) : QWidget(parent)
{
    setToolTip(QCoreApplication::translate("Localizable", "The readings of the last two minutes"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize SensorHistoryView::sizeHint() const
{
    return QSize(160, 4 * fontMetrics().height());
}

QSize SensorHistoryView::minimumSizeHint() const
{
    return QSize(80, 4 * fontMetrics().height());
}

void SensorHistoryView::record(int value, SensorHistory::Mode mode, SensorHistory::Clock::time_point time)
{
    readings.record(value, mode, time);
    update();
}

void SensorHistoryView::clear()
{
    if (readings.isEmpty())
        return;
    readings.clear();
    update();
}

void SensorHistoryView::paintEvent(QPaintEvent*)
{
    if (readings.isEmpty())
        return;
    QPainter painter(this);
    const QPalette& colors = palette();
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(colors.color(QPalette::Mid));
    painter.setBrush(colors.base());
    painter.drawRect(frame);

    const int mode = readings.currentMode().mode % 8;
    const QString highest = sensorValueText(readings.highest(), mode);
    const QString lowest = sensorValueText(readings.lowest(), mode);
    const QFontMetrics metrics = fontMetrics();
    const int labels = std::max(metrics.horizontalAdvance(highest), metrics.horizontalAdvance(lowest)) + 2 * margin;
    const QRectF inside = frame.adjusted(margin, margin, -margin, -margin);
    painter.setPen(colors.color(QPalette::PlaceholderText));
    painter.drawText(inside, Qt::AlignLeft | Qt::AlignTop, highest);
    painter.drawText(inside, Qt::AlignLeft | Qt::AlignBottom, lowest);

    const qreal half = metrics.height() / 2.0;
    const QRectF plot = inside.adjusted(labels, half, 0, -half);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colors.color(QPalette::Highlight), lineWidth));
    const QPolygonF points = line(plot);
    if (points.size() == 1)
        painter.drawPoint(points.front());
    else
        painter.drawPolyline(points);
}

// Time runs left to right over two minutes up to the latest reading; values
// run up from the lowest to the highest, a steady value across the middle.
QPolygonF SensorHistoryView::line(const QRectF& plot) const
{
    const auto latest = readings.readings().back().time;
    const double span = std::chrono::duration<double>(SensorHistory::span).count();
    const int low = readings.lowest();
    const int high = readings.highest();
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(readings.readings().size()));
    for (const SensorHistory::Sample& sample : readings.readings()) {
        const double age = std::chrono::duration<double>(latest - sample.time).count();
        const double height = high == low ? 0.5 : double(sample.value - low) / (high - low);
        points.append(QPointF(plot.right() - age / span * plot.width(), plot.bottom() - height * plot.height()));
    }
    return points;
}
