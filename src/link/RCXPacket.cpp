#include "link/RCXPacket.h"

#include "link/Framing.h"
#include "ports/Diagnostic.h"
#include "protocol/Opcodes.h"
#include "protocol/PacketLengths.h"
#include "protocol/Words.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

// The receive thread takes bytes from the tower as they come: ask for the
// highest priority an unprivileged process may have (nothing, usually).
void raiseThreadPriority()
{
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), -20);
}

} // namespace

RCXPacket::RCXPacket(Port& port)
    : myPort(port)
{
    receiveThread = std::thread([this] {
        readLoop();
        {
            std::lock_guard lock(finishMutex);
            finished = true;
        }
        finishedChanged.notify_all();
    });
}

RCXPacket::~RCXPacket()
{
    stopReadLoop();
    if (receiveThread.joinable())
        receiveThread.join();
}

void RCXPacket::stopReadLoop()
{
    stopping = true;
    blocked = true;
    readyLock.interrupt();
    replyLock.interrupt();
    messageLock.interrupt();
    // The thread may be waiting in the port's readByte, which only closing
    // the port ends; close again until it has noticed, since a close that
    // comes just before the read begins is not seen by every port.
    std::unique_lock lock(finishMutex);
    while (!finished) {
        myPort.closePort();
        finishedChanged.wait_for(lock, std::chrono::milliseconds(10));
    }
}

// ---- sending ---------------------------------------------------------------

IOReturn RCXPacket::sendPacket(int command, std::span<const int> arguments, float timeout)
{
    std::uint8_t packet[7 + 2 * 5];
    FrameWriter frame(packet, complements);
    frame.put(static_cast<std::uint8_t>(command | toggle));
    const int count = argumentCount(command);
    for (int i = 0; i < count; ++i)
        frame.put(static_cast<std::uint8_t>(i < static_cast<int>(arguments.size()) ? arguments[i] : 0));
    frame.putChecksum();
    if (const IOReturn refusal = linkRefusal())
        return refusal;
    return writeFramed(packet, frame.size(), timeout);
}

IOReturn RCXPacket::sendDLPacket(std::uint16_t block, std::uint16_t length, const std::uint8_t* data,
                                 float timeout)
{
    if (const IOReturn refusal = linkRefusal())
        return refusal;
    if (2 * length + 20 > echoCapacity)
        return kIOReturnOverrun;
    std::uint8_t packet[echoCapacity];
    FrameWriter frame(packet, complements);
    frame.put(Opcode::transferData | toggle);
    frame.put(lowByte(block));
    frame.put(highByte(block));
    frame.put(lowByte(length));
    frame.put(highByte(length));
    for (int i = 0; i < length; ++i)
        frame.put(data[i]);
    frame.put(checksum({data, length}));
    frame.putChecksum();
    return writeFramed(packet, frame.size(), timeout);
}

// Sends are refused while the link is suspended or the receive thread is not
// reading.
IOReturn RCXPacket::linkRefusal() const
{
    return stopping || blocked || readyLock.condition() == stopped ? kIOReturnNotReady : kIOReturnSuccess;
}

// Writes a framed packet once the receive thread is between packets, and
// records the echo to expect: every byte that is not a complement (the
// receive thread checks those as it reads them).
IOReturn RCXPacket::writeFramed(const std::uint8_t* packet, std::size_t length, float timeout)
{
    if (!readyLock.lockWhenCondition(ready, timeout))
        return kIOReturnTimeout;
    mayBeLastHeard.set(packet[std::size(FrameWriter::header)]);
    awaitedReply = complement(packet[std::size(FrameWriter::header)]);
    const bool echoes = myPort.echoes();
    if (echoes) {
        echoBufferEnd = 0;
        const std::size_t step = complements ? 2 : 1;
        for (std::size_t i = std::size(FrameWriter::header); i < length; i += step)
            echoBuffer[echoBufferEnd++] = packet[i];
        std::lock_guard lock(echoMutex);
        echoOutstanding = true;
    }
    const IOReturn result = myPort.write(packet, static_cast<int>(length));
    readyLock.unlockWithCondition(ready);
    if (echoes && result == kIOReturnSuccess)
        awaitEcho(length);
    return result;
}

void RCXPacket::awaitEcho(std::size_t packetLength)
{
    // 11 bits a byte at 2400 bit/s.
    const std::chrono::duration<double> limit(static_cast<double>(packetLength) * 11 / 2400 + 0.2);
    std::unique_lock lock(echoMutex);
    echoChanged.wait_for(lock, limit, [this] { return !echoOutstanding; });
}

void RCXPacket::echoRead()
{
    {
        std::lock_guard lock(echoMutex);
        echoOutstanding = false;
    }
    echoChanged.notify_all();
}

void RCXPacket::toggleNow()
{
    toggle ^= toggleBit;
}

void RCXPacket::unToggle()
{
    toggle = 0x00;
}

bool RCXPacket::mayBeTakenAsRepeat(int command) const
{
    return mayBeLastHeard.test(static_cast<std::uint8_t>(command | toggle));
}

void RCXPacket::block()
{
    blocked = true;
}

IOReturn RCXPacket::setLineSpeed(LineSpeed speed, float timeout)
{
    if (!readyLock.lockWhenCondition(ready, timeout))
        return kIOReturnTimeout;
    const IOReturn result = myPort.setLineSpeed(speed);
    if (result == kIOReturnSuccess)
        complements = speed == LineSpeed::normal;
    readyLock.unlockWithCondition(ready);
    return result;
}

void RCXPacket::unblock()
{
    blocked = false;
}

// ---- reply waits -----------------------------------------------------------

int RCXPacket::expectedReplyOpcode(int command) const
{
    return complement(static_cast<std::uint8_t>(command | toggle));
}

// Takes the replies that come within the time-out, consuming each, until
// one answers this command: `value()` when it has the expected length.
template <typename Value> int RCXPacket::awaitReply(int command, int length, float timeout, Value value)
{
    if (blocked)
        return linkSuspended;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    const int expected = expectedReplyOpcode(command);
    for (;;) {
        const std::chrono::duration<double> left = deadline - std::chrono::steady_clock::now();
        if (!replyLock.lockWhenCondition(replyWaiting, std::max(left.count(), 0.0)))
            return noReplyInTime;
        const bool answersThis = replyBuffer[0] == expected;
        const int result = answersThis && replyBufferEnd == length ? value() : wrongLength;
        replyLock.unlockWithCondition(replyEmpty);
        if (answersThis && result >= 0)
            heardLast(static_cast<std::uint8_t>(command | toggle));
        if (answersThis)
            return result;
    }
}

void RCXPacket::heardLast(std::uint8_t opcodeByte)
{
    mayBeLastHeard.reset();
    mayBeLastHeard.set(opcodeByte);
}

int RCXPacket::replyCheck(int command, float timeout)
{
    return awaitReply(command, 1, timeout, [] { return 0; });
}

int RCXPacket::replyByte(int command, float timeout)
{
    return awaitReply(command, 2, timeout, [this] { return int(replyBuffer[1]); });
}

int RCXPacket::reply2Bytes(int command, float timeout)
{
    return awaitReply(command, 3, timeout, [this] { return int(littleEndian16(replyBuffer, 1)); });
}

int RCXPacket::replyBlock(int command, int length, std::uint8_t* data, float timeout)
{
    return awaitReply(command, length + 1, timeout, [&] {
        std::memcpy(data, replyBuffer + 1, static_cast<std::size_t>(length));
        return 0;
    });
}

// The receive thread reads the length as a reply begins; a reply under way
// with the old length was not asked for with the new one.
int RCXPacket::setBlockLength(int length, float)
{
    if (blocked)
        return linkSuspended;
    if (length < 0 || length + 1 > replyCapacity)
        return wrongLength;
    blockLength = length + 1;
    return 0;
}

int RCXPacket::getMessage(int index, float timeout)
{
    const int total = totalMessages.load();
    if (index < 0 || index >= total || total - index > messageCapacity)
        return noSuchMessage;
    if (!messageLock.lockWhenCondition(0, timeout))
        return noReplyInTime;
    const int message = messageBuffer[index % messageCapacity];
    messageLock.unlockWithCondition(0);
    return message;
}

void RCXPacket::startReadLoop()
{
    blocked = false;
    // Only sets the condition: should the receive thread hold readyLock (it
    // is inside a packet), it must keep holding it.
    readyLock.setCondition(ready);
}

// ---- receive thread --------------------------------------------------------

IOReturn RCXPacket::readByte(std::uint8_t* byte, Port::ReadLimit limit)
{
    const IOReturn result = myPort.readByte(byte, limit);
    if (result != kIOReturnSuccess)
        backup = 0;
    else if (*byte == 0x55)
        backup = 1;
    else if (*byte == 0xFF && backup == 1)
        backup = 2;
    else
        backup = 0;
    return result;
}

bool RCXPacket::read(std::uint8_t& byte, Port::ReadLimit limit)
{
    readResult = readByte(&byte, limit);
    return readResult == kIOReturnSuccess;
}

RCXPacket::State RCXPacket::dropped() const
{
    return readResult == kIOReturnSuccess || readResult == kIOReturnTimeout ? State::Idle : State::ReadError;
}

bool RCXPacket::expectComplement(std::uint8_t byte)
{
    if (!complements)
        return true;
    std::uint8_t received;
    if (!read(received))
        return false;
    if (received != complement(byte)) {
        diagnostic("Complement error: expecting %x, got %x\n", complement(byte), received);
        return false;
    }
    return true;
}

bool RCXPacket::readData(std::uint8_t* data, int count)
{
    std::uint8_t sum = opcode;
    for (int i = 0; i < count; ++i) {
        if (!read(data[i]) || !expectComplement(data[i]))
            return false;
        sum = static_cast<std::uint8_t>(sum + data[i]);
    }
    std::uint8_t received;
    if (!read(received))
        return false;
    if (received != sum) {
        diagnostic("Checksum error: expecting %x, got %x\n", sum, received);
        return false;
    }
    return expectComplement(sum);
}

bool RCXPacket::readFastReply(std::uint8_t* reply, int length)
{
    // The data and the checksum, and room for the opcode's complement.
    std::uint8_t bytes[replyCapacity + 1];
    for (int i = 0; i < length; ++i)
        if (!read(bytes[i]))
            return false;
    const auto sumOf = [&](const std::uint8_t* data) {
        return static_cast<std::uint8_t>(opcode + checksum({data, static_cast<std::size_t>(length - 1)}));
    };
    const std::uint8_t* data = bytes;
    if (sumOf(data) != data[length - 1] && bytes[0] == complement(opcode)) {
        if (!read(bytes[length]))
            return false;
        data = bytes + 1;
    }
    if (sumOf(data) != data[length - 1]) {
        diagnostic("Checksum error: expecting %x, got %x\n", sumOf(data), data[length - 1]);
        return false;
    }
    std::memcpy(reply + 1, data, static_cast<std::size_t>(length - 1));
    return true;
}

void RCXPacket::readLoop()
{
    raiseThreadPriority();
    State state = State::WaitReady;
    while (state != State::Stopped) {
        switch (state) {
        case State::WaitReady:
            state = readyLock.lockWhenCondition(ready) ? State::Reset : State::Stopped;
            break;
        case State::Reset:
            backup = 0;
            state = State::Idle;
            break;
        case State::Idle: state = idle(); break;
        case State::Header: state = header(); break;
        case State::Echo: state = echo(); break;
        case State::Message: state = message(); break;
        case State::Reply: state = reply(); break;
        case State::ReadError: state = readError(); break;
        case State::Stopped: break;
        }
    }
}

// Waits for the first byte of a packet without holding readyLock, so that a
// sender can write meanwhile.
RCXPacket::State RCXPacket::idle()
{
    readyLock.unlockWithCondition(ready);
    if (backup != 0)
        return readyLock.lockWhenCondition(ready) ? State::Header : State::Stopped;
    std::uint8_t byte = 0;
    const bool gotByte = read(byte, Port::noTimeLimit);
    if (!readyLock.lockWhenCondition(ready))
        return State::Stopped;
    if (!gotByte)
        return State::ReadError;
    return byte == 0x55 ? State::Header : State::Idle;
}

// Reads the rest of the header, the opcode and its complement, and decides
// what the packet is.
RCXPacket::State RCXPacket::header()
{
    std::uint8_t byte = 0;
    if (backup == 1 && (!read(byte) || byte != 0xFF))
        return dropped();
    if (!read(byte) || byte != 0x00 || !read(opcode) || !expectComplement(opcode))
        return dropped();
    // The echo test comes first: the echo of a message the host sent is not
    // a message from the brick.
    if (echoBufferEnd > 0 && echoBuffer[0] == opcode)
        return State::Echo;
    if (withoutToggle(opcode) == Opcode::message)
        return State::Message;
    return State::Reply;
}

// A mismatch or a lost byte leaves the echo record for the echo's next try,
// but lets the sender go on.
RCXPacket::State RCXPacket::echo()
{
    for (int i = 1; i < echoBufferEnd; ++i) {
        std::uint8_t byte;
        if (!read(byte)) {
            echoRead();
            return dropped();
        }
        if (byte != echoBuffer[i]) {
            diagnostic("Echo error: expecting %x, got %x\n", echoBuffer[i], byte);
            echoRead();
            return State::Idle;
        }
        if (!expectComplement(byte)) {
            echoRead();
            return dropped();
        }
    }
    echoBufferEnd = 0;
    echoRead();
    return State::Reset;
}

// Only a message that checked out takes a slot of the ring.
RCXPacket::State RCXPacket::message()
{
    std::uint8_t data;
    if (!readData(&data, 1))
        return dropped();
    if (!messageLock.lockWhenCondition(0))
        return State::Stopped;
    messageBuffer[messageBufferEnd] = data;
    messageBufferEnd = (messageBufferEnd + 1) % messageCapacity;
    ++totalMessages;
    messageLock.unlockWithCondition(0);
    return State::Reset;
}

RCXPacket::State RCXPacket::reply()
{
    int length = replyLength(opcode);
    if (!complements && opcode != awaitedReply)
        return State::Idle;
    if (length == blockLengthReply)
        length = blockLength;
    if (length <= 0)
        return State::Idle;
    std::uint8_t reply[replyCapacity];
    reply[0] = opcode;
    if (!(complements ? readData(reply + 1, length - 1) : readFastReply(reply, length)))
        return dropped();
    return storeReply(reply, length) ? State::Reset : State::Stopped;
}

bool RCXPacket::storeReply(const std::uint8_t* reply, int length)
{
    if (!replyLock.lock())
        return false;
    std::memcpy(replyBuffer, reply, static_cast<std::size_t>(length));
    replyBufferEnd = length;
    replyLock.unlockWithCondition(replyWaiting);
    return true;
}

RCXPacket::State RCXPacket::readError()
{
    if (stopping)
        return State::Stopped;
    diagnostic("Error: %x\n", static_cast<unsigned>(readResult));
    readyLock.unlockWithCondition(stopped);
    return State::WaitReady;
}
