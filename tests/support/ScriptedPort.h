#pragma once

#include "ports/Port.h"
#include "support/Bytes.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

// An in-memory tower for the receive thread and a test thread at once: writes
// are recorded and echoed, a responder may answer them, tests feed bytes and fail calls.
class ScriptedPort : public Port {
    template <typename Change> auto locked(Change change)
    {
        struct Notify { std::condition_variable& changed; ~Notify() { changed.notify_all(); } } notify{changed};
        std::lock_guard lock(mutex);
        return change();
    }
    template <typename Condition> bool waitFor(Condition condition)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), condition);
    }

public:
    // Answers a written packet with the bytes to deliver after its echo.
    using Responder = std::function<Bytes(const Bytes& packet)>;
    static constexpr IOReturn closedCode = 9; // EBADF

    explicit ScriptedPort(bool echo = true) : echo(echo), echoDelivered(echo) {}

    void setResponder(Responder answer) { locked([&] { responder = std::move(answer); }); }
    // Whether written packets come back, while echoes() stays as it was.
    void deliverEcho(bool deliver) { locked([&] { echoDelivered = echo && deliver; }); }
    void feed(const Bytes& bytes) { locked([&] { incoming.insert(incoming.end(), bytes.begin(), bytes.end()); }); }
    // Reads wait without a time limit, as while a long packet trickles in.
    void stallReads(bool stall) { locked([&] { stalled = stall; }); }
    // The next read, or the one waiting now, fails with `code`.
    void failRead(IOReturn code) { locked([&] { readFailure = code; }); }
    // Every write fails with `code` (0: they work again).
    void failWrites(IOReturn code) { locked([&] { writeFailure = code; }); }
    // Line speed changes are refused (kIOReturnUnsupported) or taken.
    void refuseSpeeds(bool refuse) { locked([&] { speedsRefused = refuse; }); }
    LineSpeed lineSpeed() { return locked([&] { return speed; }); }
    // Every speed change taken, in order.
    std::vector<LineSpeed> lineSpeeds() { return locked([&] { return speeds; }); }
    std::vector<Bytes> writes() { return locked([&] { return written; }); }
    void clearWrites() { locked([&] { written.clear(); }); }
    bool waitForWrites(std::size_t count) { return waitFor([&] { return written.size() >= count; }); }
    // True once every fed byte has been read and a reader waits for more.
    bool waitUntilDrained() { return waitFor([&] { return incoming.empty() && readerWaiting; }); }

    int findPorts() override { return 1; }
    std::string portNameAtIndex(int) override { return "Scripted"; }
    std::string portPathAtIndex(int) override { return "scripted"; }
    IOReturn openPort(const std::string&) override { return locked([&] { closed = false; }), kIOReturnSuccess; }
    // Ends a waiting read with closedCode, even once opened again, as a closed
    // descriptor ends a read; reads fail until the next open.
    void closePort() override { locked([&] { closed = true, ++closes; }); }
    bool echoes() override { return echo; }
    IOReturn write(const std::uint8_t* bytes, int length) override;
    IOReturn readByte(std::uint8_t* byte, ReadLimit limit) override;
    IOReturn setLineSpeed(LineSpeed wanted) override
    {
        return locked([&] { return speedsRefused ? kIOReturnUnsupported : (speeds.push_back(speed = wanted), kIOReturnSuccess); });
    }

private:
    const bool echo;
    bool echoDelivered;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::uint8_t> incoming;
    std::vector<Bytes> written;
    Responder responder;
    IOReturn readFailure = 0, writeFailure = 0;
    bool closed = false, stalled = false, readerWaiting = false, speedsRefused = false;
    unsigned closes = 0;
    LineSpeed speed = LineSpeed::normal;
    std::vector<LineSpeed> speeds;
};
