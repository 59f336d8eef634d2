#include "protocol/Sensors.h"

#include <gtest/gtest.h>

// The mode that the window shows and stores when the user picks a sensor
// type, as a number: it is the mode menu's index.
TEST(DefaultMode, EachSensorTypeHasItsModeAndAnyOtherTypeIsRaw)
{
    const struct {
        int type;
        int mode;
    } cases[] = {
        {0, 0}, // none: raw
        {1, 1}, // touch: boolean
        {2, 5}, // temperature: Celsius
        {3, 4}, // light: percent
        {4, 7}, // rotation: angle
        {5, 0},
        {-1, 0},
        {255, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(defaultMode(c.type), c.mode) << "type " << c.type;
}
