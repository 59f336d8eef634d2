#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class Brick;

// Sensors that move by themselves, so that a window on the virtual brick
// has something to watch: each input may play a scene, which sets its raw
// reading from the wall clock, every stepTime.
//
//   line   a light sensor over a light floor (raw 602, 60 %) that crosses a
//          dark line (raw 812, 30 %) once a period, the reading ramping
//          into the line and out again over 30 % of the period
//   touch  a touch sensor pressed (raw 50) for the first sixth of each
//          period, released (raw 1023) for the rest
//   still  no scene: the reading stays where it is
class SensorScenes {
public:
    static constexpr std::chrono::milliseconds stepTime{20};
    static constexpr int floorRaw = 602;
    static constexpr int lineRaw = 812;
    static constexpr int pressedRaw = 50;
    static constexpr int releasedRaw = 1023;

    explicit SensorScenes(Brick& brick);
    ~SensorScenes();
    SensorScenes(const SensorScenes&) = delete;
    SensorScenes& operator=(const SensorScenes&) = delete;

    // The control command `scene line|touch|still N [PERIOD_MS]`, split
    // into words; "ok" or "error: " and the reason.
    std::string run(const std::vector<std::string>& words);

    // The raw reading of a scene `elapsed` into its period.
    static int lineRawAt(std::chrono::milliseconds elapsed, std::chrono::milliseconds period);
    static int touchRawAt(std::chrono::milliseconds elapsed, std::chrono::milliseconds period);

private:
    using Clock = std::chrono::steady_clock;
    struct Scene {
        int (*rawAt)(std::chrono::milliseconds elapsed, std::chrono::milliseconds period);
        std::chrono::milliseconds period;
        Clock::time_point start;
    };

    void play(std::stop_token stop);

    Brick& myBrick;
    std::mutex lock;
    std::condition_variable_any changed;
    std::array<std::optional<Scene>, 3> scenes;
    std::jthread player;
};
