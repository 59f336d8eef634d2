// A sensor's last two minutes: what is kept and when it starts afresh.
#include "support/QtPrinters.h"

#include "views/SensorHistoryView.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Mode = SensorHistory::Mode;

const Mode lightPercent{3, 4, 0};
const SensorHistory::Clock::time_point start{};

std::vector<int> valuesOf(const SensorHistory& history)
{
    std::vector<int> values;
    for (const SensorHistory::Sample& sample : history.readings())
        values.push_back(sample.value);
    return values;
}

// The readings of the last two minutes, as many as it may hold, of one type,
// mode and slope: another starts afresh.
TEST(SensorHistory, KeepsTheReadingsOfTheLastTwoMinutesInOneMode)
{
    SensorHistory history;
    for (const auto& [value, at] : {std::pair(50, 0s), std::pair(70, 60s), std::pair(40, 120s), std::pair(45, 121s)})
        history.record(value, lightPercent, start + at);
    EXPECT_EQ(valuesOf(history), (std::vector<int>{70, 40, 45}));
    EXPECT_EQ(std::pair(history.lowest(), history.highest()), std::pair(40, 70));
    for (const Mode other : {Mode{2, 4, 0}, Mode{3, 0, 0}, Mode{3, 12, 5}}) {
        history.record(50, lightPercent, start + 122s);
        history.record(800, other, start + 122s);
        EXPECT_EQ(valuesOf(history), std::vector<int>{800});
        EXPECT_EQ(history.currentMode(), other);
    }
    for (std::size_t i = 0; i < SensorHistory::maxSamples + 10; ++i)
        history.record(static_cast<int>(i), lightPercent, start);
    EXPECT_EQ(history.readings().size(), SensorHistory::maxSamples);
    EXPECT_EQ(history.readings().front().value, 10);
}

} // namespace
