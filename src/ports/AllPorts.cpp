#include "ports/AllPorts.h"

#include "ports/SerialPort.h"
#include "ports/USBPort.h"

#include <strings.h>

AllPorts::AllPorts()
    : AllPorts(std::make_unique<SerialPort>(), std::make_unique<USBPort>())
{
}

AllPorts::AllPorts(std::unique_ptr<Port> serialPort, std::unique_ptr<Port> usbPort)
    : mySerialPort(std::move(serialPort))
    , myUSBPort(std::move(usbPort))
    , myNoPort(std::make_unique<NoPort>())
    , myPort(myNoPort.get())
{
}

int AllPorts::findPorts()
{
    serialCount = mySerialPort->findPorts();
    usbCount = myUSBPort->findPorts();
    return serialCount + usbCount;
}

std::string AllPorts::portTypeAtIndex(int index) const
{
    if (index >= 0 && index < serialCount)
        return serialType;
    if (index >= serialCount && index < serialCount + usbCount)
        return usbType;
    return noPortType;
}

std::string AllPorts::portNameAtIndex(int index)
{
    if (index >= 0 && index < serialCount)
        return mySerialPort->portNameAtIndex(index);
    if (index >= serialCount && index < serialCount + usbCount)
        return myUSBPort->portNameAtIndex(index - serialCount);
    return {};
}

std::string AllPorts::portPathAtIndex(int index)
{
    if (index >= 0 && index < serialCount)
        return mySerialPort->portPathAtIndex(index);
    if (index >= serialCount && index < serialCount + usbCount)
        return myUSBPort->portPathAtIndex(index - serialCount);
    return {};
}

IOReturn AllPorts::setPort(const std::string& type, const std::string&, const std::string& path)
{
    switching(true, false);
    myPort.load()->closePort();
    Port* chosen = myNoPort.get();
    if (strcasecmp(type.c_str(), serialType) == 0)
        chosen = mySerialPort.get();
    else if (strcasecmp(type.c_str(), usbType) == 0)
        chosen = myUSBPort.get();
    myPort = chosen;
    const IOReturn result = chosen->openPort(path);
    if (result != kIOReturnSuccess) {
        myPort = myNoPort.get();
        myNoPort->openPort(path);
    }
    switching(false, result == kIOReturnSuccess);
    return result;
}

void AllPorts::switching(bool underWay, bool opened)
{
    {
        std::lock_guard lock(switchMutex);
        switchUnderWay = underWay;
        opens += opened;
    }
    switchChanged.notify_all();
}

unsigned AllPorts::settledOpens()
{
    std::unique_lock lock(switchMutex);
    switchChanged.wait(lock, [this] { return !switchUnderWay; });
    return opens;
}

bool AllPorts::reopenedSince(unsigned opensBefore)
{
    return settledOpens() != opensBefore;
}

IOReturn AllPorts::openPort(const std::string& path)
{
    return myPort.load()->openPort(path);
}

void AllPorts::closePort()
{
    myPort.load()->closePort();
}

bool AllPorts::echoes()
{
    return myPort.load()->echoes();
}

IOReturn AllPorts::write(const std::uint8_t* bytes, int length)
{
    return myPort.load()->write(bytes, length);
}

IOReturn AllPorts::setLineSpeed(LineSpeed speed)
{
    return myPort.load()->setLineSpeed(speed);
}

bool AllPorts::fastLineKeepsParity()
{
    return myPort.load()->fastLineKeepsParity();
}

void AllPorts::setTowerRange(TowerRange range)
{
    mySerialPort->setTowerRange(range);
    myUSBPort->setTowerRange(range);
}

IOReturn AllPorts::readByte(std::uint8_t* byte, ReadLimit limit)
{
    for (;;) {
        const unsigned opensAtRead = settledOpens();
        const IOReturn result = myPort.load()->readByte(byte, limit);
        if (result == kIOReturnSuccess || result == kIOReturnTimeout || !reopenedSince(opensAtRead))
            return result;
    }
}
