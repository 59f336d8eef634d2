#include "app/TimeLeft.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST(TimeLeftTest, FromThePaceSinceTheFirstBlock)
{
    // The percent reached at each time, the time left and its text. The time
    // before the first block (the brick getting ready) is no part of the pace.
    using Steps = std::vector<std::pair<double, std::chrono::milliseconds>>;
    const struct { const char* name; Steps steps; std::optional<std::chrono::seconds> left; const char* text; } cases[] = {
        {"nothing sent", {}, std::nullopt, ""},
        {"one block", {{2, 1500ms}}, std::nullopt, ""},
        {"steady", {{10, 5000ms}, {20, 6000ms}, {30, 7000ms}}, 7s, "About 0:07 left"},
        {"two minutes", {{1, 900ms}, {2, 2100ms}}, 118s, "About 1:58 left"},
        {"done", {{50, 1000ms}, {100, 2000ms}}, 0s, "About 0:00 left"},
        {"no progress", {{40, 1000ms}, {40, 3000ms}}, std::nullopt, ""},
    };
    for (const auto& each : cases) {
        TimeLeft estimate;
        estimate.reached(99, 0ms); // a transfer before
        estimate.restart();
        for (const auto& [percent, at] : each.steps)
            estimate.reached(percent, at);
        EXPECT_EQ(estimate.left(), each.left) << each.name;
        EXPECT_EQ(TimeLeft::text(estimate.left()), each.text) << each.name;
    }
}

} // namespace
