// The datalog chart as a person uses it, and a sensor's history.
#include "ViewTest.h"

#include "views/ChartScale.h"
#include "views/DatalogChart.h"
#include "views/SensorHistoryView.h"

#include <QLegendMarker>

#include <ranges>

namespace {

TEST(ChartScale, RangesAreWholeStepsOfOneTwoOrFive)
{
    const std::pair<std::pair<double, double>, AxisRange> cases[] = {
        {{-5, 120}, {-20, 120, 20}}, {{3, 3}, {2, 4, 1}}, {{1, 4}, {1, 4, 1}}, {{-32768, 32767}, {-40000, 40000, 10000}},
    };
    for (const auto& [values, expected] : cases) {
        const AxisRange range = niceRange(values.first, values.second, 8);
        EXPECT_EQ(std::tuple(range.min, range.max, range.step), std::tuple(expected.min, expected.max, expected.step)) << values.first << ".." << values.second;
    }
}

// The pointer on a point shows it; the value axis leaves out a source hidden from the legend.
TEST(DatalogChart, ThePointerShowsAPointAndTheLegendHidesASource)
{
    UploadedDatalog datalog;
    DatalogChart chart;
    chart.resize(640, 420);
    chart.show();
    auto show = [&](const std::vector<LogEntry>& entries) { // sources named after their type byte
        datalog = UploadedDatalog(entries, [](int type, int value) {
            return "Source " + std::to_string(type) + "\t" + std::to_string(value) + "\n";
        });
        chart.showDatalog(datalog);
        QApplication::processEvents();
    };
    show({});
    EXPECT_TRUE(chart.sourceSeries().isEmpty());
    EXPECT_EQ(std::pair(chart.entryAxis().min(), chart.entryAxis().max()), std::pair(0.0, 1.0));
    show({{0x41, 40}, {0x03, 120}, {0x41, -5}, {0x80, 1000}});
    QChart* drawing = chart.chart();
    const QPoint point = chart.mapFromScene(drawing->mapToScene(drawing->mapToPosition({3, -5}, chart.sourceSeries()[1])));
    QTest::mouseMove(chart.viewport(), point + QPoint(3, -2));
    EXPECT_EQ(QToolTip::text(), "Source 65, entry 3: -5");
    QTest::mouseMove(chart.viewport(), point + QPoint(0, -60));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
    EXPECT_EQ(chart.valueAxis().max(), 1000);
    QLegendMarker* watch = drawing->legend()->markers(chart.sourceSeries()[2]).front();
    emit watch->clicked();
    EXPECT_TRUE(!chart.sourceSeries()[2]->isVisible() && watch->isVisible());
    EXPECT_EQ(std::pair(chart.valueAxis().min(), chart.valueAxis().max()), std::pair(-20.0, 120.0));
    emit watch->clicked();
    EXPECT_EQ(chart.valueAxis().max(), 1000);
}

using namespace std::chrono_literals;
using Mode = SensorHistory::Mode;

const Mode lightPercent{3, 4, 0};
const SensorHistory::Clock::time_point start{};

std::vector<int> valuesOf(const SensorHistory& history)
{
    const auto values = history.readings() | std::views::transform(&SensorHistory::Sample::value);
    return {values.begin(), values.end()};
}

// The readings of the last two minutes, as many as it may hold, in one mode; another starts afresh.
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
