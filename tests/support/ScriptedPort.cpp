#include "support/ScriptedPort.h"

#include "ports/WaitWithin.h"

std::vector<Bytes> ScriptedPort::writes()
{
    std::lock_guard lock(mutex);
    return written;
}

bool ScriptedPort::waitForWrites(std::size_t count)
{
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(5), [&] { return written.size() >= count; });
}

bool ScriptedPort::waitUntilDrained()
{
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(5), [&] { return incoming.empty() && readerWaiting; });
}

IOReturn ScriptedPort::openPort(const std::string&)
{
    locked([&] { closed = false; });
    return kIOReturnSuccess;
}

IOReturn ScriptedPort::write(const std::uint8_t* bytes, int length)
{
    const Bytes packet(bytes, bytes + length);
    Responder answer;
    {
        std::lock_guard lock(mutex);
        if (writeFailure)
            return writeFailure;
        written.push_back(packet);
        if (echoDelivered)
            incoming.insert(incoming.end(), packet.begin(), packet.end());
        answer = responder;
    }
    // The responder runs unlocked so that it may feed bytes itself.
    feed(answer ? answer(packet) : Bytes());
    return kIOReturnSuccess;
}

IOReturn ScriptedPort::readByte(std::uint8_t* byte, ReadLimit limit)
{
    std::unique_lock lock(mutex);
    if (incoming.empty() || closed || readFailure) {
        readerWaiting = true;
        changed.notify_all();
        const bool arrived = waitWithin(changed, lock, stalled ? noTimeLimit : limit,
                                        [&] { return closed || readFailure || !incoming.empty(); });
        readerWaiting = false;
        if (!arrived)
            return kIOReturnTimeout;
    }
    if (closed)
        return closedCode;
    if (const IOReturn code = readFailure) {
        readFailure = 0;
        return code;
    }
    *byte = incoming.front();
    incoming.pop_front();
    return kIOReturnSuccess;
}
