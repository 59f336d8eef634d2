#include "protocol/Sensors.h"

#include <gtest/gtest.h>

// The mode that the window shows and stores when the user picks a sensor
// type, as a number: it is the mode menu's index. None: raw; touch: boolean;
// temperature: Celsius; light: percent; rotation: angle; other types raw.
TEST(DefaultMode, EachSensorTypeHasItsModeAndAnyOtherTypeIsRaw)
{
    for (const auto& [type, mode] : {std::pair(0, 0), {1, 1}, {2, 5}, {3, 4}, {4, 7}, {5, 0}, {-1, 0}, {255, 0}})
        EXPECT_EQ(defaultMode(type), mode) << "type " << type;
}
