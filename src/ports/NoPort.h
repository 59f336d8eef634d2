#pragma once

#include "ports/Port.h"

#include <condition_variable>
#include <mutex>

// The null port, current whenever no tower is open. Packets written to it are
// printed on standard output; nothing ever comes back.
class NoPort : public Port {
public:
    int findPorts() override;
    std::string portNameAtIndex(int index) override;
    std::string portPathAtIndex(int index) override;
    IOReturn openPort(const std::string& path) override;
    void closePort() override;
    bool echoes() override;
    IOReturn write(const std::uint8_t* bytes, int length) override;
    // Waits until closePort is called (no byte ever arrives), then fails with
    // kIOReturnNotReady, so a receive thread left reading here sleeps instead
    // of spinning.
    IOReturn readByte(std::uint8_t* byte) override;

private:
    std::mutex closeMutex;
    std::condition_variable closed;
    unsigned closeCount = 0;
};
