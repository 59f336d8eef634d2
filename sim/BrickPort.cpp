#include "sim/BrickPort.h"

#include "ports/WaitWithin.h"

#include "sim/Brick.h"

BrickPort::BrickPort(Brick& brick)
    : myBrick(brick)
{
    myBrick.setTransmitter([this](const ByteString& bytes) { deliver(bytes); });
}

BrickPort::~BrickPort()
{
    myBrick.setTransmitter(nullptr);
}

IOReturn BrickPort::openPort(const std::string&)
{
    std::lock_guard lock(mutex);
    incoming.clear();
    open = true;
    return kIOReturnSuccess;
}

void BrickPort::closePort()
{
    {
        std::lock_guard lock(mutex);
        open = false;
        incoming.clear();
    }
    arrived.notify_all();
}

IOReturn BrickPort::write(const std::uint8_t* bytes, int length)
{
    const ByteString written(bytes, bytes + length);
    {
        std::lock_guard lock(mutex);
        if (!open)
            return kIOReturnNotReady;
    }
    deliver(written);
    myBrick.receive(written);
    return kIOReturnSuccess;
}

IOReturn BrickPort::readByte(std::uint8_t* byte, ReadLimit limit)
{
    std::unique_lock lock(mutex);
    if (!waitWithin(arrived, lock, limit, [this] { return !open || !incoming.empty(); }))
        return kIOReturnTimeout;
    if (!open)
        return closedCode;
    *byte = incoming.front();
    incoming.pop_front();
    return kIOReturnSuccess;
}

void BrickPort::deliver(const ByteString& bytes)
{
    {
        std::lock_guard lock(mutex);
        if (!open)
            return;
        incoming.insert(incoming.end(), bytes.begin(), bytes.end());
    }
    arrived.notify_all();
}
