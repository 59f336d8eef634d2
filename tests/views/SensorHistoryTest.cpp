// A sensor's last two minutes: what is kept, when it starts afresh, and what
// its small chart draws.
#include "Pictures.h"

#include "views/SensorHistoryView.h"

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

// The line's pixels: those painted in the highlight colour, give or take
// the smoothing of its edges.
int linePixels(const QImage& picture, QRect area)
{
    const QColor line = QPalette().color(QPalette::Highlight);
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            count += std::abs(pixel.red() - line.red()) + std::abs(pixel.green() - line.green()) + std::abs(pixel.blue() - line.blue()) < 60;
        }
    return count;
}

// Rising readings run from lower left to upper right; without readings the
// view draws nothing.
TEST(SensorHistoryView, DrawsTheReadingsAsALine)
{
    SensorHistoryView view;
    view.resize(160, 60);
    QImage blank(view.size(), QImage::Format_ARGB32_Premultiplied);
    blank.fill(Qt::white);
    EXPECT_EQ(painted(view), blank);
    for (int second = 0; second <= 120; second += 10)
        view.record(second, lightPercent, start + std::chrono::seconds(second));
    const QImage picture = painted(view);
    savePicture(picture, "sensor-history");
    const int middle = view.width() / 2;
    EXPECT_GT(linePixels(picture, {middle, 0, middle, 30}), 0);
    EXPECT_EQ(linePixels(picture, {middle, 40, middle, 20}), 0);
    view.clear();
    EXPECT_EQ(painted(view), blank);
}

} // namespace
