#include "ports/SerialPort.h"

#include "ports/Diagnostic.h"

#include <cerrno>

SerialPort::SerialPort()
{
    portPathList.reserve(10);
    portNameList.reserve(10);
}

int SerialPort::findPorts()
{
    portPathList.clear();
    portNameList.clear();
    return 0;
}

std::string SerialPort::portNameAtIndex(int index)
{
    return index >= 0 && index < static_cast<int>(portNameList.size()) ? portNameList[index] : std::string();
}

std::string SerialPort::portPathAtIndex(int index)
{
    return index >= 0 && index < static_cast<int>(portPathList.size()) ? portPathList[index] : std::string();
}

IOReturn SerialPort::openPort(const std::string&)
{
    diagnostic("serialStream returned: %x\n", ENODEV);
    return ENODEV;
}

void SerialPort::closePort() {}

bool SerialPort::echoes()
{
    return true;
}

IOReturn SerialPort::write(const std::uint8_t*, int length)
{
    if (length <= 0)
        return kIOReturnSuccess;
    diagnostic("Serial write returned: %x\n", EBADF);
    return EBADF;
}

IOReturn SerialPort::readByte(std::uint8_t*)
{
    diagnostic("Error %x occurred\n", EBADF);
    return EBADF;
}
