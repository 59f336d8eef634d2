#pragma once

#include "ports/Port.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// "55 FF 00" → {0x55, 0xFF, 0x00}.
Bytes hex(const std::string& text);

// Frames bytes as the brick and the towers do: header, each byte and its
// complement, checksum and its complement. Written apart from the link layer
// so that tests check it rather than repeat it.
Bytes framed(const Bytes& bytes);

// An in-memory tower for tests, safe to use from the receive thread and a
// test thread at once. What the host writes is recorded and, when the port
// echoes, delivered back; a responder may answer each packet; tests feed
// further bytes (noise, broken packets, brick messages) and make reads or
// writes fail.
class ScriptedPort : public Port {
public:
    // Answers a written packet with the bytes to deliver after its echo.
    using Responder = std::function<Bytes(const Bytes& packet)>;
    static constexpr IOReturn closedCode = 9; // EBADF

    explicit ScriptedPort(bool echo = true);

    void setResponder(Responder responder);
    // Whether written packets come back; a test that turns this off while
    // echoes() stays true feeds an echo of its own.
    void deliverEcho(bool deliver);
    // Fed bytes not yet read.
    std::size_t pending();
    // Bytes the tower delivers next.
    void feed(const Bytes& bytes);
    // Reads from now on wait for their byte without a time limit, as while
    // the bytes of a long packet trickle in.
    void stallReads(bool stall);
    // The next read, or the one waiting now, fails with `code`.
    void failRead(IOReturn code);
    // Every write from now on fails with `code` (0 makes them work again).
    void failWrites(IOReturn code);
    // Each write as it was made.
    std::vector<Bytes> writes();
    void clearWrites();
    // True once `count` writes have been made, false after `limit`.
    bool waitForWrites(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(5));
    // True once every fed byte has been read and a reader waits for more.
    bool waitUntilDrained(std::chrono::milliseconds limit = std::chrono::seconds(5));

    int findPorts() override { return 1; }
    std::string portNameAtIndex(int) override { return "Scripted"; }
    std::string portPathAtIndex(int) override { return "scripted"; }
    IOReturn openPort(const std::string& path) override;
    // Ends a waiting read with closedCode; reads fail until the next open.
    void closePort() override;
    bool echoes() override { return echo; }
    IOReturn write(const std::uint8_t* bytes, int length) override;
    IOReturn readByte(std::uint8_t* byte, ReadLimit limit) override;

private:
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

// Waits for a condition another thread makes true, up to `limit`.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(5));
