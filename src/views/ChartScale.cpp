#include "views/ChartScale.h"

#include <algorithm>
#include <cmath>

double niceStep(double span, int intervals)
{
    const double rough = span / std::max(intervals, 1);
    if (!(rough > 1.0))
        return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double multiple : {1.0, 2.0, 5.0})
        if (multiple * power >= rough)
            return multiple * power;
    return 10.0 * power;
}

AxisRange niceRange(double low, double high, int intervals)
{
    const double step = niceStep(high - low, intervals);
    AxisRange range{std::floor(low / step) * step, std::ceil(high / step) * step, step};
    if (range.max == range.min) {
        range.min -= step;
        range.max += step;
    }
    return range;
}
