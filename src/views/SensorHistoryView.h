#pragma once

#include "models/SensorHistory.h"

#include <QWidget>

// A small chart of a sensor's readings over the last two minutes: the
// readings as a line from two minutes ago at the left to the latest at the
// right, between the lowest and the highest, which are written at the left.
// Without readings it draws nothing. It is drawn again only when a reading
// comes, and in the palette's colours.
class SensorHistoryView : public QWidget {
    Q_OBJECT
public:
    explicit SensorHistoryView(QWidget* parent = nullptr);

    void record(int value, SensorHistory::Mode mode, SensorHistory::Clock::time_point time);
    void clear();
    const SensorHistory& history() const { return readings; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPolygonF line(const QRectF& plot) const;

    SensorHistory readings;
};
