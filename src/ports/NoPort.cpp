#include "ports/NoPort.h"

#include "ports/Diagnostic.h"
#include "ports/WaitWithin.h"

#include <string>

int NoPort::findPorts()
{
    return 0;
}

std::string NoPort::portNameAtIndex(int)
{
    return {};
}

std::string NoPort::portPathAtIndex(int)
{
    return {};
}

IOReturn NoPort::openPort(const std::string&)
{
    std::lock_guard lock(closeMutex);
    closed = false;
    return kIOReturnNoDevice;
}

void NoPort::closePort()
{
    {
        std::lock_guard lock(closeMutex);
        closed = true;
    }
    closedChanged.notify_all();
}

bool NoPort::echoes()
{
    return false;
}

IOReturn NoPort::write(const std::uint8_t* bytes, int length)
{
    std::string line = "Writing";
    char hex[8];
    for (int i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, " %2x", bytes[i]);
        line += hex;
    }
    diagnostic("%s\n", line.c_str());
    return kIOReturnSuccess;
}

IOReturn NoPort::readByte(std::uint8_t*, ReadLimit limit)
{
    std::unique_lock lock(closeMutex);
    return waitWithin(closedChanged, lock, limit, [this] { return closed; }) ? kIOReturnNotReady : kIOReturnTimeout;
}
