#include "sim/SensorScenes.h"

#include "sim/Brick.h"

#include <algorithm>
#include <cstdlib>

namespace {

using std::chrono::milliseconds;

constexpr milliseconds defaultLinePeriod{4000};
constexpr milliseconds defaultTouchPeriod{3000};
constexpr milliseconds longestPeriod{3'600'000};

std::optional<long> numberIn(const std::string& word, long low, long high)
{
    char* end = nullptr;
    const long value = std::strtol(word.c_str(), &end, 0);
    if (word.empty() || *end != '\0' || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

SensorScenes::SensorScenes(Brick& brick)
    : myBrick(brick)
    , player([this](std::stop_token stop) { play(stop); })
{
}

SensorScenes::~SensorScenes()
{
    player.request_stop();
}

int SensorScenes::lineRawAt(milliseconds elapsed, milliseconds period)
{
    const double phase = static_cast<double>(elapsed.count() % period.count()) / static_cast<double>(period.count());
    const double fromMiddle = std::abs(phase - 0.5) / 0.15;
    if (fromMiddle >= 1.0)
        return floorRaw;
    return static_cast<int>(lineRaw - (lineRaw - floorRaw) * fromMiddle);
}

int SensorScenes::touchRawAt(milliseconds elapsed, milliseconds period)
{
    return elapsed.count() % period.count() < period.count() / 6 ? pressedRaw : releasedRaw;
}

std::string SensorScenes::run(const std::vector<std::string>& words)
{
    const std::string usage = "error: usage: scene line|touch|still N [PERIOD_MS]";
    if (words.size() < 3 || words.size() > 4)
        return usage;
    const std::string& kind = words[1];
    const bool moving = kind == "line" || kind == "touch";
    const std::optional<long> sensor = numberIn(words[2], 1, 3);
    if (!sensor || (!moving && (kind != "still" || words.size() > 3)))
        return usage;
    const int input = static_cast<int>(*sensor) - 1;
    const std::scoped_lock guard(lock);
    if (!moving) {
        scenes[input].reset();
        return "ok";
    }
    long period = (kind == "line" ? defaultLinePeriod : defaultTouchPeriod).count();
    if (words.size() == 4) {
        const std::optional<long> chosen = numberIn(words[3], 60, longestPeriod.count());
        if (!chosen)
            return "error: the period is 60 to 3600000 ms";
        period = *chosen;
    }
    scenes[input] = Scene{kind == "line" ? &lineRawAt : &touchRawAt, milliseconds(period), Clock::now()};
    changed.notify_all();
    return "ok";
}

void SensorScenes::play(std::stop_token stop)
{
    std::unique_lock guard(lock);
    while (!stop.stop_requested()) {
        const bool anyScene = std::ranges::any_of(scenes, [](const auto& scene) { return scene.has_value(); });
        if (!anyScene) {
            changed.wait(guard, stop, [this] { return std::ranges::any_of(scenes, [](const auto& s) { return s.has_value(); }); });
            continue;
        }
        const Clock::time_point now = Clock::now();
        for (std::size_t sensor = 0; sensor < scenes.size(); ++sensor)
            if (const std::optional<Scene>& scene = scenes[sensor])
                myBrick.setSensorRaw(static_cast<int>(sensor),
                                     scene->rawAt(std::chrono::duration_cast<milliseconds>(now - scene->start),
                                                  scene->period));
        changed.wait_for(guard, stop, stepTime, [] { return false; });
    }
}
