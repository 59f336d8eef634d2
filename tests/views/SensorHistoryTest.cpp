// A sensor's last two minutes: what is kept, when it starts afresh, and what
// its small chart draws.
#include "Pictures.h"

#include "views/SensorHistoryView.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

const SensorHistory::Mode lightPercent{3, 4, 0};
const SensorHistory::Clock::time_point start{};

std::vector<int> valuesOf(const SensorHistory& history)
{
    std::vector<int> values;
    for (const SensorHistory::Sample& sample : history.readings())
        values.push_back(sample.value);
    return values;
}

TEST(SensorHistory, KeepsTheReadingsOfTheLastTwoMinutes)
{
    SensorHistory history;
    history.record(50, lightPercent, start);
    history.record(70, lightPercent, start + 60s);
    history.record(40, lightPercent, start + 120s);
    EXPECT_EQ(valuesOf(history), (std::vector<int>{50, 70, 40}));
    history.record(45, lightPercent, start + 121s);
    EXPECT_EQ(valuesOf(history), (std::vector<int>{70, 40, 45}));
    EXPECT_EQ(history.lowest(), 40);
    EXPECT_EQ(history.highest(), 70);
}

TEST(SensorHistory, AnotherTypeModeOrSlopeStartsAfresh)
{
    for (const SensorHistory::Mode other : {SensorHistory::Mode{2, 4, 0}, SensorHistory::Mode{3, 0, 0},
                                            SensorHistory::Mode{3, 12, 5}}) {
        SensorHistory history;
        history.record(50, lightPercent, start);
        history.record(800, other, start + 1s);
        EXPECT_EQ(valuesOf(history), std::vector<int>{800});
        EXPECT_EQ(history.currentMode(), other);
    }
}

TEST(SensorHistory, ReadingsFasterThanTheClockAreBounded)
{
    SensorHistory history;
    for (std::size_t i = 0; i < SensorHistory::maxSamples + 10; ++i)
        history.record(static_cast<int>(i), lightPercent, start);
    EXPECT_EQ(history.readings().size(), SensorHistory::maxSamples);
    EXPECT_EQ(history.readings().front().value, 10);
}

// The line's pixels: those painted in the highlight colour, give or take
// the smoothing of its edges.
int linePixels(const QImage& picture, QRect area)
{
    const QColor line = QPalette().color(QPalette::Highlight);
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            count += std::abs(pixel.red() - line.red()) + std::abs(pixel.green() - line.green())
                         + std::abs(pixel.blue() - line.blue())
                     < 60;
        }
    return count;
}

TEST(SensorHistoryView, DrawsNothingWithoutReadings)
{
    SensorHistoryView view;
    view.resize(160, 60);
    const QImage picture = painted(view);
    QImage blank(picture.size(), picture.format());
    blank.fill(Qt::white);
    EXPECT_EQ(picture, blank);
}

TEST(SensorHistoryView, RisingReadingsRunFromLowerLeftToUpperRight)
{
    SensorHistoryView view;
    view.resize(160, 60);
    for (int second = 0; second <= 120; second += 10)
        view.record(second, lightPercent, start + std::chrono::seconds(second));
    const QImage picture = painted(view);
    savePicture(picture, "sensor-history");
    const int middle = view.width() / 2;
    EXPECT_GT(linePixels(picture, {middle, 0, middle, 30}), 0);
    EXPECT_EQ(linePixels(picture, {middle, 40, middle, 20}), 0);
    view.clear();
    EXPECT_EQ(linePixels(painted(view), view.rect()), 0);
}

} // namespace
