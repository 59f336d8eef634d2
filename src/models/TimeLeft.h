#pragma once

#include <QString>

#include <chrono>
#include <optional>

// The time a transfer still needs. The pace it has kept since its first
// block (the line's speed, with the brick's answers and the retries in it)
// times what is still to send; the percentage left stands for the blocks
// left, since every block advances the transfer by its share of the bytes.
// Unknown until two blocks have gone.
class TimeLeft {
public:
    using Time = std::chrono::milliseconds;

    // A new transfer begins.
    void restart();
    // The transfer reached `percent` at `time` (from any fixed start).
    void reached(double percent, Time time);
    std::optional<std::chrono::seconds> left() const;

    // "About 2:05 left"; empty while unknown.
    static QString text(std::optional<std::chrono::seconds> left);

private:
    struct Point {
        double percent;
        Time time;
    };
    std::optional<Point> first;
    std::optional<Point> last;
};
