#include "models/TimeLeft.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

void TimeLeft::restart()
{
    first.reset();
    last.reset();
}

void TimeLeft::reached(double percent, Time time)
{
    (first ? last : first) = Point{percent, time};
}

std::optional<std::chrono::seconds> TimeLeft::left() const
{
    if (!first || !last || last->percent <= first->percent || last->time < first->time)
        return std::nullopt;
    const double perPercent = double((last->time - first->time).count()) / (last->percent - first->percent);
    const double remaining = std::max(0.0, 100.0 - last->percent) * perPercent;
    return std::chrono::seconds(static_cast<long long>(std::ceil(remaining / 1000.0)));
}

QString TimeLeft::text(std::optional<std::chrono::seconds> left)
{
    if (!left)
        return QString();
    const long long seconds = left->count();
    return QCoreApplication::translate("Localizable", "About %1 left")
        .arg(QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0')));
}
