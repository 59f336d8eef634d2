#include "support/ScriptedPort.h"

#include "ports/WaitWithin.h"

IOReturn ScriptedPort::write(const std::uint8_t* bytes, int length)
{
    const Bytes packet(bytes, bytes + length);
    Responder answer;
    if (const IOReturn failure = locked([&] {
            if (!writeFailure) {
                written.push_back(packet);
                if (echoDelivered)
                    incoming.insert(incoming.end(), packet.begin(), packet.end());
                answer = responder;
            }
            return writeFailure;
        }))
        return failure;
    feed(answer ? answer(packet) : Bytes()); // unlocked, so that it may feed bytes itself
    return kIOReturnSuccess;
}

IOReturn ScriptedPort::readByte(std::uint8_t* byte, ReadLimit limit)
{
    std::unique_lock lock(mutex);
    const unsigned closesAtStart = closes;
    const auto ended = [&] { return closed || closes != closesAtStart; };
    if (incoming.empty() || closed || readFailure) {
        readerWaiting = true;
        changed.notify_all();
        const bool arrived = waitWithin(changed, lock, stalled ? noTimeLimit : limit,
                                        [&] { return ended() || readFailure || !incoming.empty(); });
        readerWaiting = false;
        if (!arrived)
            return kIOReturnTimeout;
    }
    if (ended())
        return closedCode;
    if (const IOReturn code = std::exchange(readFailure, 0))
        return code;
    *byte = incoming.front();
    incoming.pop_front();
    return kIOReturnSuccess;
}
