#include "support/ScriptedPort.h"

#include "ports/WaitWithin.h"

#include <sstream>
#include <thread>

Bytes hex(const std::string& text)
{
    Bytes bytes;
    std::istringstream words(text);
    std::string word;
    while (words >> word)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
    return bytes;
}

Bytes framed(const Bytes& bytes)
{
    Bytes packet = {0x55, 0xFF, 0x00};
    unsigned sum = 0;
    for (std::uint8_t byte : bytes) {
        packet.push_back(byte);
        packet.push_back(static_cast<std::uint8_t>(0xFF - byte));
        sum += byte;
    }
    packet.push_back(static_cast<std::uint8_t>(sum % 256));
    packet.push_back(static_cast<std::uint8_t>(0xFF - sum % 256));
    return packet;
}

ScriptedPort::ScriptedPort(bool echo)
    : echo(echo)
    , echoDelivered(echo)
{
}

void ScriptedPort::deliverEcho(bool deliver)
{
    std::lock_guard lock(mutex);
    echoDelivered = echo && deliver;
}

std::size_t ScriptedPort::pending()
{
    std::lock_guard lock(mutex);
    return incoming.size();
}

void ScriptedPort::setResponder(Responder newResponder)
{
    std::lock_guard lock(mutex);
    responder = std::move(newResponder);
}

void ScriptedPort::feed(const Bytes& bytes)
{
    {
        std::lock_guard lock(mutex);
        incoming.insert(incoming.end(), bytes.begin(), bytes.end());
    }
    changed.notify_all();
}

void ScriptedPort::stallReads(bool stall)
{
    std::lock_guard lock(mutex);
    stalled = stall;
}

void ScriptedPort::failRead(IOReturn code)
{
    {
        std::lock_guard lock(mutex);
        readFailure = code;
    }
    changed.notify_all();
}

void ScriptedPort::failWrites(IOReturn code)
{
    std::lock_guard lock(mutex);
    writeFailure = code;
}

std::vector<Bytes> ScriptedPort::writes()
{
    std::lock_guard lock(mutex);
    return written;
}

void ScriptedPort::clearWrites()
{
    std::lock_guard lock(mutex);
    written.clear();
}

bool ScriptedPort::waitForWrites(std::size_t count, std::chrono::milliseconds limit)
{
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, limit, [&] { return written.size() >= count; });
}

bool ScriptedPort::waitUntilDrained(std::chrono::milliseconds limit)
{
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, limit, [&] { return incoming.empty() && readerWaiting; });
}

IOReturn ScriptedPort::openPort(const std::string&)
{
    std::lock_guard lock(mutex);
    closed = false;
    return kIOReturnSuccess;
}

void ScriptedPort::closePort()
{
    {
        std::lock_guard lock(mutex);
        closed = true;
    }
    changed.notify_all();
}

IOReturn ScriptedPort::write(const std::uint8_t* bytes, int length)
{
    Bytes packet(bytes, bytes + length);
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
    // The responder runs unlocked so that it may call feed itself.
    if (answer)
        feed(answer(packet));
    changed.notify_all();
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
    if (readFailure) {
        const IOReturn code = readFailure;
        readFailure = 0;
        return code;
    }
    *byte = incoming.front();
    incoming.pop_front();
    return kIOReturnSuccess;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
