#include "Pictures.h"

#include "views/LevelMeter.h"

#include <gtest/gtest.h>

namespace {

// The full picture is dark green above light green, the empty one dark red
// above light red, so each pixel tells which half of which picture it shows.
const QColor fullTop(0, 100, 0), fullBottom(0, 230, 0);
const QColor emptyTop(120, 0, 0), emptyBottom(250, 0, 0);

struct MeterTest : testing::Test {
    MeterTest()
    {
        meter.resize(20, 100);
        meter.setFullImage(solidImage({10, 40}, fullTop, fullBottom), solidImage({10, 40}, emptyTop, emptyBottom));
    }

    // The colour at height y of the painted meter, in the middle.
    static QColor at(const QImage& picture, int y) { return picture.pixelColor(10, y); }

    LevelMeter meter;
};

TEST_F(MeterTest, ANewMeterDrawsTheEmptyPictureOnly)
{
    const QImage picture = painted(meter);
    EXPECT_EQ(at(picture, 1), emptyTop);
    EXPECT_EQ(at(picture, 48), emptyTop);
    EXPECT_EQ(at(picture, 52), emptyBottom);
    EXPECT_EQ(at(picture, 98), emptyBottom);
}

TEST_F(MeterTest, AtHalfLevelTheLowerHalfOfTheFullPictureFillsTheLowerHalf)
{
    meter.setMaxLevel(10, 2);
    meter.setLevel(6);
    const QImage picture = painted(meter);
    EXPECT_EQ(at(picture, 1), emptyTop);
    EXPECT_EQ(at(picture, 48), emptyTop);
    EXPECT_EQ(at(picture, 52), fullBottom);
    EXPECT_EQ(at(picture, 98), fullBottom);
}

TEST_F(MeterTest, AQuarterLevelSplitsAtAQuarterOfTheHeight)
{
    meter.setLevel(0.25f);
    const QImage picture = painted(meter);
    EXPECT_EQ(at(picture, 73), emptyBottom);
    EXPECT_EQ(at(picture, 77), fullBottom);
}

TEST_F(MeterTest, AReadingAboveTheScaleDrawsTheFullPictureAndShowsTheReading)
{
    meter.setToolTipFormat(QStringLiteral("Battery level: %fv"));
    meter.setMaxLevel(9.0f, 6.5f);
    meter.setLevel(9.6f);
    EXPECT_EQ(meter.toolTip(), QStringLiteral("Battery level: 9.600000v"));
    EXPECT_EQ(meter.levelValue(), 9.0f);
    const QImage picture = painted(meter);
    EXPECT_EQ(at(picture, 1), fullTop);
    EXPECT_EQ(at(picture, 48), fullTop);
    EXPECT_EQ(at(picture, 52), fullBottom);
    EXPECT_EQ(at(picture, 98), fullBottom);
}

TEST_F(MeterTest, AReadingBelowTheScaleIsClampedToTheMinimum)
{
    meter.setMaxLevel(9.0f, 6.5f);
    meter.setLevel(3.0f);
    EXPECT_EQ(meter.levelValue(), 6.5f);
    EXPECT_EQ(meter.toolTip(), QStringLiteral("3"));
}

TEST_F(MeterTest, AHiddenMeterDrawsNothing)
{
    meter.setLevel(0.5f);
    meter.setMeterVisible(false);
    EXPECT_FALSE(meter.isMeterVisible());
    const QImage picture = painted(meter);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            ASSERT_EQ(picture.pixelColor(x, y), QColor(Qt::white)) << x << ", " << y;
    meter.setMeterVisible(true);
    EXPECT_EQ(at(painted(meter), 98), fullBottom);
}

struct ScaleCase {
    const char* name;
    float levelBefore;
    float max, min;
    float maxAfter, minAfter, levelAfter;

    friend void PrintTo(const ScaleCase& c, std::ostream* out) { *out << c.name; }
};

class ScaleRules : public testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleRules, KeepTheLevelWithinTheScale)
{
    const ScaleCase& c = GetParam();
    LevelMeter meter;
    meter.setMaxLevel(1000, -1000);
    meter.setLevel(c.levelBefore);
    meter.setMaxLevel(c.max, c.min);
    EXPECT_EQ(meter.maxLevelValue(), c.maxAfter);
    EXPECT_EQ(meter.minLevelValue(), c.minAfter);
    EXPECT_EQ(meter.levelValue(), c.levelAfter);
}

INSTANTIATE_TEST_SUITE_P(Meter, ScaleRules, testing::Values(
    ScaleCase{"MaxEqualsMinIsIgnored", 3, 5, 5, 1000, -1000, 3},
    ScaleCase{"MaxBelowMinIsIgnored", 3, 4, 5, 1000, -1000, 3},
    ScaleCase{"LevelAboveIsPulledDown", 150, 100, 0, 100, 0, 100},
    ScaleCase{"LevelBelowIsPulledUp", -7, 100, 0, 100, 0, 0},
    ScaleCase{"LevelWithinIsKept", 42, 100, 0, 100, 0, 42},
    ScaleCase{"BatteryScale", 7.5f, 9, 6.5f, 9, 6.5f, 7.5f}),
    [](const testing::TestParamInfo<ScaleCase>& info) { return std::string(info.param.name); });

TEST(MeterToolTip, WithoutAFormatTheToolTipIsThePlainNumber)
{
    LevelMeter meter;
    meter.setLevel(0.75f);
    EXPECT_EQ(meter.toolTip(), QStringLiteral("0.75"));
}

TEST(MeterToolTip, TheFormatIsFilledWithTheCurrentLevel)
{
    LevelMeter meter;
    meter.setMaxLevel(100, 0);
    meter.setLevel(12);
    meter.setToolTipFormat(QStringLiteral("Datalog: %f values"));
    EXPECT_EQ(meter.toolTip(), QStringLiteral("Datalog: 12.000000 values"));
}

TEST(MeterToolTip, SettingTheSameLevelStillUpdatesTheToolTip)
{
    LevelMeter meter;
    meter.setMaxLevel(10, 0);
    meter.setLevel(4);
    meter.setToolTipFormat(QStringLiteral("%f"));
    meter.setToolTip(QString());
    meter.setLevel(4);
    EXPECT_EQ(meter.toolTip(), QStringLiteral("4.000000"));
}

TEST(MeterToolTip, AHiddenMeterGetsAToolTipOnlyFromANewLevel)
{
    LevelMeter meter;
    meter.setLevel(0.5f);
    meter.setMeterVisible(false);
    EXPECT_TRUE(meter.toolTip().isEmpty());
    meter.setToolTipFormat(QStringLiteral("Datalog: %f values"));
    EXPECT_TRUE(meter.toolTip().isEmpty());
    meter.setLevel(0.25f);
    EXPECT_EQ(meter.toolTip(), QStringLiteral("Datalog: 0.250000 values"));
}

} // namespace
