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
    // There is no device: kIOReturnNoDevice. Reads wait again from here on,
    // as the null port is made current by opening it.
    IOReturn openPort(const std::string& path) override;
    // Ends a waiting read, and every read until the next openPort.
    void closePort() override;
    bool echoes() override;
    IOReturn write(const std::uint8_t* bytes, int length) override;
    // No byte ever arrives: waits until the port is closed, then fails with
    // kIOReturnNotReady, so a receive thread left reading here sleeps instead
    // of spinning; a read on the closed port fails at once.
    IOReturn readByte(std::uint8_t* byte, ReadLimit limit) override;

private:
    std::mutex closeMutex;
    std::condition_variable closedChanged;
    bool closed = false;
};
