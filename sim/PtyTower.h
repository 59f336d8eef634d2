#pragma once

#include "sim/BrickState.h"
#include "sim/LineMode.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

class Brick;

// The serial IR tower in front of the brick, on a pseudo-terminal: the host
// opens path() as a serial line. Every byte the host writes is heard by the
// brick and then echoed back, so that once a host has the echo of a command
// the brick's history holds it; what the brick sends follows.
//
// The host's line settings are read off the terminal for every read and
// every write (tcgetattr on the master gives the host's side): where its
// speed is not the brick's line mode's, the brick hears the host's bytes
// garbled and the host the brick's (see garbled). The terminal shows no
// parity, so only the speed counts.
//
// Fast (default): bytes pass as soon as they come. Realtime: the infrared
// line carries one byte at a time, both ways, each taking its line
// settings' byte time (11 bits at 2400 bit/s with parity, 10 bits at 4800
// without); the echo of a byte and the brick's hearing of it come when the
// byte has crossed; a reply starts `turnaround` after the last byte of the
// command that caused it. Noise, if set, is the brick's (both directions of
// the infrared path); the echo is the tower's own and is never garbled.
class PtyTower {
public:
    // A byte on the ROM's line at power-on: 11 bits at 2400 bit/s.
    static constexpr std::chrono::nanoseconds byteTime = LineSettings{}.byteTime();
    static constexpr std::chrono::milliseconds turnaround{15};

    // Opens the pseudo-terminal and starts carrying bytes; path() is empty
    // when that failed, and error() says why. Takes the brick's transmitter.
    PtyTower(Brick& brick, bool realtime);
    // Stops the threads, gives back the transmitter, closes the terminal.
    ~PtyTower();
    PtyTower(const PtyTower&) = delete;
    PtyTower& operator=(const PtyTower&) = delete;

    const std::string& path() const { return slavePath; }
    const std::string& error() const { return failure; }

private:
    using Clock = std::chrono::steady_clock;

    bool open();
    void readLoop();
    void carryLoop();
    void carryFast(std::unique_lock<std::mutex>& lock);
    void carryPaced(std::unique_lock<std::mutex>& lock);
    // Waits on the tower's lock until `when`; false when stopping.
    bool waitUntil(std::unique_lock<std::mutex>& lock, Clock::time_point when);
    void writeOut(const ByteString& bytes);
    // The brick's bytes, sent at `line`, as the host hears them.
    void writeFromBrick(ByteString bytes, const LineSettings& line);
    HostSettings hostSettings() const;

    Brick& myBrick;
    const bool realtime;
    int master = -1;
    // Kept open so that the line keeps its raw settings and the master never
    // sees a hang-up between two hosts.
    int slave = -1;
    int wakePipe[2] = {-1, -1};
    std::string slavePath;
    std::string failure;

    std::mutex mutex;
    std::condition_variable changed;
    struct Arrival {
        std::uint8_t byte;
        Clock::time_point at;
        HostSettings host;
    };
    struct Departure {
        std::uint8_t byte;
        LineSettings line;
    };
    std::deque<Arrival> incoming;   // from the host, not yet on the line
    std::deque<Departure> outgoing; // from the brick, not yet on the line
    bool replyDue = false;             // outgoing holds a reply: turnaround first
    bool stopping = false;
    Clock::time_point lineFree;        // when the infrared line is next free

    std::thread reader;
    std::thread carrier;
};
