#pragma once

#include "ports/Port.h"
#include "support/Bytes.h"

#include <condition_variable>
#include <deque>
#include <mutex>

// An in-memory tower, safe to use from the receive thread and a test thread
// at once. What the host writes is recorded and, when the port echoes,
// delivered back; a responder may answer each packet; tests feed further
// bytes (noise, broken packets, brick messages) and make reads or writes fail.
class ScriptedPort : public Port {
public:
    // Answers a written packet with the bytes to deliver after its echo.
    using Responder = std::function<Bytes(const Bytes& packet)>;
    static constexpr IOReturn closedCode = 9; // EBADF

    explicit ScriptedPort(bool echo = true) : echo(echo), echoDelivered(echo) {}

    void setResponder(Responder answer) { locked([&] { responder = std::move(answer); }); }
    // Whether written packets come back, while echoes() stays as it was.
    void deliverEcho(bool deliver) { locked([&] { echoDelivered = echo && deliver; }); }
    // Bytes the tower delivers next.
    void feed(const Bytes& bytes) { locked([&] { incoming.insert(incoming.end(), bytes.begin(), bytes.end()); }); }
    // Reads wait for their byte without a time limit, as while a long packet
    // trickles in.
    void stallReads(bool stall) { locked([&] { stalled = stall; }); }
    // The next read, or the one waiting now, fails with `code`.
    void failRead(IOReturn code) { locked([&] { readFailure = code; }); }
    // Every write fails with `code` (0: they work again).
    void failWrites(IOReturn code) { locked([&] { writeFailure = code; }); }
    std::vector<Bytes> writes();
    void clearWrites() { locked([&] { written.clear(); }); }
    // True once `count` writes have been made.
    bool waitForWrites(std::size_t count);
    // True once every fed byte has been read and a reader waits for more.
    bool waitUntilDrained();

    int findPorts() override { return 1; }
    std::string portNameAtIndex(int) override { return "Scripted"; }
    std::string portPathAtIndex(int) override { return "scripted"; }
    IOReturn openPort(const std::string&) override;
    // Ends a waiting read with closedCode; reads fail until the next open.
    void closePort() override { locked([&] { closed = true; }); }
    bool echoes() override { return echo; }
    IOReturn write(const std::uint8_t* bytes, int length) override;
    IOReturn readByte(std::uint8_t* byte, ReadLimit limit) override;

private:
    template <typename Change> void locked(Change change)
    {
        {
            std::lock_guard lock(mutex);
            change();
        }
        changed.notify_all();
    }

    const bool echo;
    bool echoDelivered;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::uint8_t> incoming;
    std::vector<Bytes> written;
    Responder responder;
    IOReturn readFailure = 0;
    IOReturn writeFailure = 0;
    bool closed = false;
    bool stalled = false;
    bool readerWaiting = false;
};
