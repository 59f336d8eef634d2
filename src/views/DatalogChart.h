#pragma once

#include "models/UploadedDatalog.h"

#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>

#include <optional>

class QLegendMarker;

// An uploaded datalog as a line chart: one series per source, named as the
// text export names it, each entry at its entry number. The axes fit the
// sources shown, with ticks at round steps whatever the zoom. A click on a
// source in the legend hides or shows it. Dragging a rectangle zooms into it
// and the right button zooms out; the wheel zooms at the pointer; Shift-drag
// or the middle button pans, as do the arrow keys; Home fits everything
// again. Resting the pointer on a point shows its source, entry and value.
// The colours follow the palette, light or dark.
class DatalogChart : public QChartView {
    Q_OBJECT
public:
    // How near the pointer must be to a point to show its value, in pixels.
    static constexpr int pointerReach = 8;

    explicit DatalogChart(QWidget* parent = nullptr);

    // Shows `datalog`, which is to outlive the chart or the next call.
    void showDatalog(const UploadedDatalog& datalog);
    // Fits the axes to every entry and to the values of the sources shown.
    void fitToVisible();

    QValueAxis& entryAxis() { return *entries; }
    QValueAxis& valueAxis() { return *values; }
    // The series of each source, in source order.
    QList<QLineSeries*> sourceSeries() const;

    struct Point {
        int source;
        QPointF point; // entry number, value
    };
    // The point of a shown source drawn nearest to `position` (in the view)
    // within pointerReach, if any.
    std::optional<Point> pointNear(QPoint position) const;
    // What the pointer on `point` tells.
    QString pointText(const Point& point) const;

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QValueAxis* addAxis(Qt::Alignment alignment, const QString& title);
    void applyPalette();
    void toggleSource(QLegendMarker* marker);
    void showPointAt(QPoint position);
    // The position in the chart's own coordinates.
    QPointF inChart(QPoint position) const;

    const UploadedDatalog* theDatalog = nullptr;
    QValueAxis* entries;
    QValueAxis* values;
    std::optional<QPoint> panFrom;
};
