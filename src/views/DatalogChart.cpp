#include "views/DatalogChart.h"

#include "views/ChartScale.h"

#include <QCoreApplication>
#include <QLegend>
#include <QLegendMarker>
#include <QLocale>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>
#include <limits>

namespace {

constexpr int entryIntervals = 10;
constexpr int valueIntervals = 8;
// Beyond this many points a series is drawn as a line alone: its markers
// would merge into one.
constexpr int markedPoints = 100;
constexpr double wheelZoom = 1.25;
constexpr double keyScroll = 0.1; // of the plot's size

const UploadedDatalog noDatalog;

bool isDark(const QPalette& colors)
{
    return colors.color(QPalette::Window).lightness() < 128;
}

} // namespace

DatalogChart::DatalogChart(QWidget* parent) : QChartView(parent)
{
    setRubberBand(QChartView::RectangleRubberBand);
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    entries = addAxis(Qt::AlignBottom, QCoreApplication::translate("Localizable", "Entry"));
    values = addAxis(Qt::AlignLeft, QCoreApplication::translate("Localizable", "Value"));
    applyPalette();
    showDatalog(noDatalog);
}

QValueAxis* DatalogChart::addAxis(Qt::Alignment alignment, const QString& title)
{
    auto* axis = new QValueAxis(chart());
    axis->setTitleText(title);
    axis->setLabelFormat("%d");
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    const int intervals = alignment == Qt::AlignBottom ? entryIntervals : valueIntervals;
    // Zooming keeps the ticks at round steps.
    connect(axis, &QValueAxis::rangeChanged, axis,
            [axis, intervals](qreal min, qreal max) { axis->setTickInterval(niceStep(max - min, intervals)); });
    chart()->addAxis(axis, alignment);
    return axis;
}

void DatalogChart::showDatalog(const UploadedDatalog& datalog)
{
    theDatalog = &datalog;
    chart()->removeAllSeries();
    for (const UploadedDatalog::Source& source : datalog.sources()) {
        auto* series = new QLineSeries();
        series->setName(source.name);
        series->replace(source.points);
        series->setPointsVisible(source.points.size() <= markedPoints);
        chart()->addSeries(series);
        series->attachAxis(entries);
        series->attachAxis(values);
    }
    for (QLegendMarker* marker : chart()->legend()->markers())
        connect(marker, &QLegendMarker::clicked, this, [this, marker] { toggleSource(marker); });
    chart()->setTitle(datalog.entryCount() == 0 ? QCoreApplication::translate("Localizable", "The datalog is empty")
                                                : QString());
    fitToVisible();
}

QList<QLineSeries*> DatalogChart::sourceSeries() const
{
    QList<QLineSeries*> list;
    for (QAbstractSeries* series : chart()->series())
        list.append(static_cast<QLineSeries*>(series));
    return list;
}

void DatalogChart::fitToVisible()
{
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (const QLineSeries* series : sourceSeries()) {
        if (!series->isVisible())
            continue;
        for (const QPointF& point : series->points()) {
            low = std::min(low, point.y());
            high = std::max(high, point.y());
        }
    }
    if (low > high)
        low = high = 0;
    const AxisRange range = niceRange(low, high, valueIntervals);
    entries->setRange(0, theDatalog->entryCount() + 1);
    values->setRange(range.min, range.max);
}

void DatalogChart::toggleSource(QLegendMarker* marker)
{
    QAbstractSeries* series = marker->series();
    series->setVisible(!series->isVisible());
    // A hidden source stays in the legend, dimmed, to be shown again.
    marker->setVisible(true);
    QColor label = chart()->legend()->labelColor();
    label.setAlphaF(series->isVisible() ? 1.0 : 0.4);
    marker->setLabelBrush(label);
    fitToVisible();
}

void DatalogChart::applyPalette()
{
    const QPalette& colors = palette();
    chart()->setTheme(isDark(colors) ? QChart::ChartThemeDark : QChart::ChartThemeLight);
    chart()->setBackgroundBrush(colors.window());
    chart()->setBackgroundRoundness(0);
    chart()->setPlotAreaBackgroundBrush(colors.base());
    chart()->setPlotAreaBackgroundVisible(true);
    chart()->setTitleBrush(colors.windowText());
    chart()->legend()->setLabelColor(colors.color(QPalette::WindowText));
    for (QValueAxis* axis : {entries, values}) {
        axis->setLabelsBrush(colors.windowText());
        axis->setTitleBrush(colors.windowText());
        axis->setLinePenColor(colors.color(QPalette::Mid));
        axis->setGridLineColor(colors.color(QPalette::Midlight));
    }
    setBackgroundBrush(colors.window());
}

void DatalogChart::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        applyPalette();
    QChartView::changeEvent(event);
}

QPointF DatalogChart::inChart(QPoint position) const
{
    return chart()->mapFromScene(mapToScene(position));
}

std::optional<DatalogChart::Point> DatalogChart::pointNear(QPoint position) const
{
    const QPointF at = inChart(position);
    std::optional<Point> nearest;
    double nearestDistance = pointerReach;
    const QList<QLineSeries*> all = sourceSeries();
    for (int source = 0; source < all.size(); ++source) {
        QLineSeries* series = all[source];
        if (!series->isVisible())
            continue;
        // The points are in entry order: look only at those within reach
        // across.
        const QList<QPointF> points = series->points();
        const double left = chart()->mapToValue(at - QPointF(pointerReach, 0), series).x();
        const double right = chart()->mapToValue(at + QPointF(pointerReach, 0), series).x();
        auto byEntry = [](const QPointF& point, double entry) { return point.x() < entry; };
        for (auto point = std::lower_bound(points.begin(), points.end(), left, byEntry);
             point != points.end() && point->x() <= right; ++point) {
            const QPointF drawn = chart()->mapToPosition(*point, series);
            const double distance = QLineF(drawn, at).length();
            if (distance <= nearestDistance) {
                nearestDistance = distance;
                nearest = Point{source, *point};
            }
        }
    }
    return nearest;
}

QString DatalogChart::pointText(const Point& point) const
{
    const QLocale locale;
    return QCoreApplication::translate("Localizable", "%1, entry %2: %3")
        .arg(theDatalog->sources()[static_cast<std::size_t>(point.source)].name,
             locale.toString(static_cast<int>(point.point.x())), locale.toString(static_cast<int>(point.point.y())));
}

void DatalogChart::showPointAt(QPoint position)
{
    const std::optional<Point> point = pointNear(position);
    if (point)
        QToolTip::showText(viewport()->mapToGlobal(position), pointText(*point), viewport());
    else
        QToolTip::hideText();
}

void DatalogChart::mousePressEvent(QMouseEvent* event)
{
    const bool pan = event->button() == Qt::MiddleButton
                     || (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ShiftModifier));
    if (!pan) {
        QChartView::mousePressEvent(event);
        return;
    }
    panFrom = event->position().toPoint();
    viewport()->setCursor(Qt::ClosedHandCursor);
    event->accept();
}

void DatalogChart::mouseMoveEvent(QMouseEvent* event)
{
    if (!panFrom) {
        if (event->buttons() == Qt::NoButton)
            showPointAt(event->position().toPoint());
        QChartView::mouseMoveEvent(event);
        return;
    }
    const QPoint moved = event->position().toPoint() - *panFrom;
    chart()->scroll(-moved.x(), moved.y());
    panFrom = event->position().toPoint();
    event->accept();
}

void DatalogChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (!panFrom) {
        QChartView::mouseReleaseEvent(event);
        return;
    }
    panFrom.reset();
    viewport()->unsetCursor();
    event->accept();
}

void DatalogChart::wheelEvent(QWheelEvent* event)
{
    const double factor = event->angleDelta().y() > 0 ? 1 / wheelZoom : wheelZoom;
    const QRectF area = chart()->plotArea();
    QPointF at = inChart(event->position().toPoint());
    at.setX(std::clamp(at.x(), area.left(), area.right()));
    at.setY(std::clamp(at.y(), area.top(), area.bottom()));
    // The point under the pointer stays where it is.
    chart()->zoomIn(QRectF(at.x() - (at.x() - area.left()) * factor, at.y() - (at.y() - area.top()) * factor,
                           area.width() * factor, area.height() * factor));
    event->accept();
}

void DatalogChart::keyPressEvent(QKeyEvent* event)
{
    const QRectF area = chart()->plotArea();
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        chart()->zoomIn();
        break;
    case Qt::Key_Minus:
        chart()->zoomOut();
        break;
    case Qt::Key_Left:
        chart()->scroll(-area.width() * keyScroll, 0);
        break;
    case Qt::Key_Right:
        chart()->scroll(area.width() * keyScroll, 0);
        break;
    case Qt::Key_Up:
        chart()->scroll(0, area.height() * keyScroll);
        break;
    case Qt::Key_Down:
        chart()->scroll(0, -area.height() * keyScroll);
        break;
    case Qt::Key_Home:
        fitToVisible();
        break;
    default:
        QChartView::keyPressEvent(event);
        return;
    }
    event->accept();
}
