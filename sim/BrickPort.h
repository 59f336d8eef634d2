#pragma once

#include "ports/Port.h"
#include "sim/BrickState.h"

#include <condition_variable>
#include <deque>
#include <mutex>

class Brick;

// The virtual brick behind a serial IR tower, in the same process: every byte
// written comes back as the tower's echo, followed by what the brick sends in
// answer; messages the brick sends on its own arrive as well. Thread-safe
// like a real port: readByte on the receive thread, the rest anywhere.
// Bytes that arrive while the port is closed are lost, as on a serial line.
// The port has the line settings a host states with setHostSettings (by
// default whatever the brick's line has): where they disagree with the
// brick's line mode, each side hears the other's bytes garbled.
class BrickPort : public Port {
public:
    // Takes the brick's transmitter for as long as the port lives.
    explicit BrickPort(Brick& brick);
    ~BrickPort() override;
    BrickPort(const BrickPort&) = delete;
    BrickPort& operator=(const BrickPort&) = delete;

    static constexpr IOReturn closedCode = 9; // EBADF

    int findPorts() override { return 1; }
    std::string portNameAtIndex(int) override { return "Virtual brick"; }
    std::string portPathAtIndex(int) override { return "brick"; }
    IOReturn openPort(const std::string& path) override;
    // Ends a waiting read with closedCode; reads fail until the next open.
    void closePort() override;
    bool echoes() override { return true; }
    // kIOReturnNotReady while the port is closed.
    IOReturn write(const std::uint8_t* bytes, int length) override;
    IOReturn readByte(std::uint8_t* byte, ReadLimit limit) override;

    void setHostSettings(const HostSettings& settings);

private:
    // Bytes that reach the host: the echo, and the brick's, sent at `line`.
    void deliver(ByteString bytes, const std::optional<LineSettings>& line);

    Brick& myBrick;
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::uint8_t> incoming;
    bool open = false;
    HostSettings host;
};
