#include "sim/BrickPort.h"

#include "ports/WaitWithin.h"

#include "sim/Brick.h"

#include <algorithm>

BrickPort::BrickPort(Brick& brick)
    : myBrick(brick)
{
    myBrick.setTransmitter([this](const ByteString& bytes, const LineSettings& line) { deliver(bytes, line); });
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
    HostSettings settings;
    {
        std::lock_guard lock(mutex);
        if (!open)
            return kIOReturnNotReady;
        settings = host;
    }
    deliver(written, std::nullopt);
    myBrick.receive(written, settings);
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

void BrickPort::setHostSettings(const HostSettings& settings)
{
    std::lock_guard lock(mutex);
    host = settings;
}

void BrickPort::deliver(ByteString bytes, const std::optional<LineSettings>& line)
{
    {
        std::lock_guard lock(mutex);
        if (!open)
            return;
        if (line && !host.agreeWith(*line))
            std::transform(bytes.begin(), bytes.end(), bytes.begin(), garbled);
        incoming.insert(incoming.end(), bytes.begin(), bytes.end());
    }
    arrived.notify_all();
}
