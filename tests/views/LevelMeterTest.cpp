// The level meters' scale and tool tip.
#include "Pictures.h"

#include "views/LevelMeter.h"

#include <array>

namespace {

// The level stays on the scale: a reading beyond it shows at its end, a new
// scale pulls the level in, a scale whose top is not above its bottom is
// ignored. The tool tip shows the reading as it came, formatted or plain.
TEST(LevelMeter, KeepsItsLevelOnTheScaleAndShowsTheReadingInItsToolTip)
{
    // The level before, the new scale's top and bottom, and what follows.
    const std::pair<std::array<float, 3>, const char*> scales[] = {
        {{3, 5, 5}, "-1000..1000 at 3"}, {{3, 4, 5}, "-1000..1000 at 3"}, {{150, 100, 0}, "0..100 at 100"},
        {{-7, 100, 0}, "0..100 at 0"},   {{42, 100, 0}, "0..100 at 42"}};
    for (const auto& [scale, after] : scales) {
        LevelMeter meter;
        meter.setMaxLevel(1000, -1000);
        meter.setLevel(scale[0]);
        meter.setMaxLevel(scale[1], scale[2]);
        EXPECT_EQ(QString("%1..%2 at %3").arg(meter.minLevelValue()).arg(meter.maxLevelValue()).arg(meter.levelValue()),
                  after);
    }
    LevelMeter plain;
    plain.setLevel(3);
    EXPECT_EQ(plain.toolTip(), "3");
    // A hidden meter has no tool tip until a reading comes, even the same one.
    LevelMeter meter;
    meter.setLevel(0.5f);
    meter.setMeterVisible(false);
    meter.setToolTipFormat("%f");
    EXPECT_EQ(meter.toolTip(), "");
    meter.setLevel(0.5f);
    EXPECT_EQ(meter.toolTip(), "0.500000");
}

} // namespace
