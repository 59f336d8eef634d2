#include "models/SensorHistory.h"

#include <algorithm>

void SensorHistory::record(int value, Mode readingMode, Clock::time_point time)
{
    if (!samples.empty() && readingMode != mode)
        samples.clear();
    mode = readingMode;
    samples.push_back({time, value});
    while (samples.size() > maxSamples || samples.front().time < time - span)
        samples.pop_front();
    findRange();
}

void SensorHistory::clear()
{
    samples.clear();
}

void SensorHistory::findRange()
{
    const auto [lowest, highest] = std::minmax_element(
        samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.value < b.value; });
    low = lowest->value;
    high = highest->value;
}
