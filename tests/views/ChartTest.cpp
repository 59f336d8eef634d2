// The datalog chart as a person uses it (axes at round steps, the value
// under the pointer, sources hidden from the legend, zoom and pan) and a
// sensor's history.
#include "ViewTest.h"

#include "views/DatalogChart.h"
#include "views/SensorHistoryView.h"

#include <QLegend>
#include <QLegendMarker>
#include <QToolTip>

namespace {

class DatalogChartTest : public testing::Test {
protected:
    // Shows a datalog whose sources are named after their type byte.
    void show(const std::vector<LogEntry>& entries)
    {
        datalog = UploadedDatalog(entries, [](int type, int value) {
            return "Source " + std::to_string(type) + "\t" + std::to_string(value) + "\n";
        });
        chart.resize(640, 420);
        chart.showDatalog(datalog);
        chart.show();
        QApplication::processEvents();
    }
    // Where a point of a series is drawn, in the view.
    QPoint drawnAt(QPointF point, int source)
    {
        QChart* drawing = chart.chart();
        return chart.mapFromScene(drawing->mapToScene(drawing->mapToPosition(point, chart.sourceSeries()[source])));
    }
    std::pair<double, double> entryRange() { return {chart.entryAxis().min(), chart.entryAxis().max()}; }

    UploadedDatalog datalog;
    DatalogChart chart;
};

// An empty datalog says so. The pointer on a point shows its source, entry
// and value; the value axis leaves out a source hidden from the legend.
TEST_F(DatalogChartTest, ThePointerShowsAPointAndTheLegendHidesASource)
{
    show({});
    EXPECT_TRUE(chart.sourceSeries().isEmpty());
    EXPECT_EQ(entryRange(), std::pair(0.0, 1.0));
    show({{0x41, 40}, {0x03, 120}, {0x41, -5}, {0x80, 1000}});
    QTest::mouseMove(chart.viewport(), drawnAt({3, -5}, 1) + QPoint(3, -2));
    EXPECT_EQ(QToolTip::text(), "Source 65, entry 3: -5");
    QTest::mouseMove(chart.viewport(), drawnAt({3, -5}, 1) + QPoint(0, -60));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
    EXPECT_EQ(chart.valueAxis().max(), 1000);
    QLegendMarker* watch = chart.chart()->legend()->markers(chart.sourceSeries()[2]).front();
    emit watch->clicked();
    EXPECT_TRUE(!chart.sourceSeries()[2]->isVisible() && watch->isVisible());
    EXPECT_EQ(std::pair(chart.valueAxis().min(), chart.valueAxis().max()), std::pair(-20.0, 120.0));
    emit watch->clicked();
    EXPECT_EQ(chart.valueAxis().max(), 1000);
}

TEST_F(DatalogChartTest, WheelZoomsAtThePointerShiftDragPansAndHomeShowsAll)
{
    std::vector<LogEntry> entries;
    for (int i = 0; i < 200; ++i)
        entries.push_back({0x40, i});
    show(entries);
    const std::pair<double, double> all = entryRange();
    EXPECT_EQ(all, std::pair(0.0, 201.0));
    const QPoint at = drawnAt({50, 49}, 0);
    QWheelEvent wheel(at, chart.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(chart.viewport(), &wheel);
    const auto [left, right] = entryRange();
    EXPECT_NEAR(right - left, 201.0 / 1.25, 1.0);
    EXPECT_NEAR(drawnAt({50, 49}, 0).x(), at.x(), 1);
    QTest::mousePress(chart.viewport(), Qt::LeftButton, Qt::ShiftModifier, at);
    QTest::mouseMove(chart.viewport(), at + QPoint(100, 0));
    QTest::mouseRelease(chart.viewport(), Qt::LeftButton, Qt::ShiftModifier, at + QPoint(100, 0));
    const double moved = 100.0 / chart.chart()->plotArea().width() * (right - left);
    EXPECT_NEAR(entryRange().first, left - moved, 0.5);
    EXPECT_NEAR(entryRange().second, right - moved, 0.5);
    QTest::keyClick(&chart, Qt::Key_Home);
    EXPECT_EQ(entryRange(), all);
}

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
