#include "ports/USBPort.h"

int USBPort::findPorts()
{
    return 1;
}

std::string USBPort::portNameAtIndex(int)
{
    return towerName;
}

std::string USBPort::portPathAtIndex(int)
{
    return towerName;
}

IOReturn USBPort::openPort(const std::string&)
{
    return noTowerAttached;
}

void USBPort::closePort() {}

bool USBPort::echoes()
{
    return false;
}

IOReturn USBPort::write(const std::uint8_t*, int length)
{
    return length <= 0 ? kIOReturnSuccess : noTowerAttached;
}

IOReturn USBPort::readByte(std::uint8_t*)
{
    return noTowerAttached;
}
