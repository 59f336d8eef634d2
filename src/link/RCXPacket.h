#pragma once

#include "link/ConditionLock.h"
#include "ports/Port.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <thread>

// The link layer: frames command and download packets onto the port, and
// reads the port on its own receive thread, which swallows the tower's echo,
// checks every packet, hands replies over one at a time and keeps the brick's
// messages in a ring.
//
// Threads meet through three locks: readyLock (the right to write a packet
// and the echo record; the receive thread holds it except while it waits for
// the first byte of a packet), replyLock (the one-slot reply record) and
// messageLock (the message ring). The receive thread takes readyLock before
// at most one of the others; a caller never holds two at once.
class RCXPacket {
public:
    // readyLock conditions
    static constexpr int ready = 1;
    static constexpr int stopped = 2;
    // replyLock conditions
    static constexpr int replyEmpty = 1;
    static constexpr int replyWaiting = 4;

    static constexpr int messageCapacity = 1024;
    static constexpr int replyCapacity = 256;
    static constexpr int echoCapacity = 512;

    // Reply-wait results besides a value of 0 or more.
    static constexpr int noReplyInTime = -1;
    static constexpr int wrongLength = -2;
    static constexpr int wrongOpcode = -3;
    static constexpr int linkSuspended = -4;
    // getMessage: no such message.
    static constexpr int noSuchMessage = -2;

    // Starts the receive thread, which waits for startReadLoop before it
    // reads anything. The port is not owned and must outlive the packet.
    explicit RCXPacket(Port& port);
    // Stops and joins the receive thread; closes the port to end a read that
    // is waiting there.
    ~RCXPacket();
    RCXPacket(const RCXPacket&) = delete;
    RCXPacket& operator=(const RCXPacket&) = delete;

    // Sends one command packet: the opcode's low 8 bits and as many argument
    // bytes as the opcode calls for (missing ones go out as 0). Returns 0,
    // kIOReturnNotReady (suspended or not reading), kIOReturnTimeout (the
    // port was not free in time) or the port's write error.
    IOReturn sendPacket(int opcode, std::span<const int> arguments, float timeout);
    // Sends one download packet (opcode 0x45) with block number, length and
    // data; kIOReturnOverrun when the packet would not fit the echo record.
    IOReturn sendDLPacket(std::uint16_t block, std::uint16_t length, const std::uint8_t* data, float timeout);

    void toggleNow();
    void unToggle();
    void block();
    void unblock();

    // Reply waits for the command sent with `opcode` (toggle bit clear).
    int replyCheck(int opcode, float timeout);
    int replyByte(int opcode, float timeout);
    int reply2Bytes(int opcode, float timeout);
    int replyBlock(int opcode, int length, std::uint8_t* data, float timeout);
    // Sets the reply length for the opcodes whose length the caller decides;
    // -2 for a length that would not fit the reply record.
    int setBlockLength(int length, float timeout);

    // Message number `index` (0 to 255), -2 when there is none (not yet
    // received, or overwritten), -1 when the ring was busy for `timeout`.
    int getMessage(int index, float timeout);
    // How many messages have arrived since the receive thread began.
    int messagesReceived() const { return totalMessages.load(); }
    // The index of the oldest message still held: older ones were overwritten.
    int oldestHeldMessage() const { return std::max(0, messagesReceived() - messageCapacity); }

    // Lets the receive thread read, first or again after a read error, and
    // ends a suspension.
    void startReadLoop();

private:
    enum class State { WaitReady, Reset, Idle, Header, Echo, Message, Reply, ReadError, Stopped };

    IOReturn readByte(std::uint8_t* byte);
    // Reads one byte for a state; false after a failed read.
    bool read(std::uint8_t& byte);
    void readLoop();
    State idle();
    State header();
    State echo();
    State message();
    State readMessage();
    State reply();
    State readError();
    bool expectComplement(std::uint8_t byte);

    IOReturn linkRefusal() const;
    // Waits until the receive thread has read the echo of the packet just
    // written, at most as long as the packet takes on a 2400 bit/s line and
    // a reply wait more.
    void awaitEcho(std::size_t packetLength);
    void echoRead();
    IOReturn writeFramed(const std::uint8_t* packet, std::size_t length, float timeout);
    int expectedReplyOpcode(int opcode) const;
    template <typename Value> int awaitReply(int opcode, int length, float timeout, Value value);

    Port& myPort;
    ConditionLock readyLock{stopped};
    ConditionLock replyLock{replyEmpty};
    // A ConditionLock with a single condition serves as the timed lock of the
    // message ring: std::timed_mutex's timed wait is not understood by
    // ThreadSanitizer on this toolchain.
    ConditionLock messageLock{0};

    int blockLength = 0;
    std::uint8_t messageBuffer[messageCapacity] = {};
    std::atomic<int> totalMessages = 0;
    int messageBufferEnd = 0;
    std::uint8_t replyBuffer[replyCapacity] = {};
    int replyBufferEnd = 0;
    std::uint8_t echoBuffer[echoCapacity] = {};
    int echoBufferEnd = 0;
    // The echo of the last packet is still on its way. A write returns once
    // its echo is in: otherwise the reply wait would start while a long
    // packet still crosses the line, and the next packet's echo record would
    // replace one whose echo has not come yet.
    std::mutex echoMutex;
    std::condition_variable echoChanged;
    bool echoOutstanding = false;
    std::uint8_t toggle = 0x00;
    std::atomic<bool> blocked = false;
    int backup = 0;

    // Receive-thread state: the packet being decoded, the last read error.
    std::uint8_t opcode = 0;
    IOReturn readResult = 0;
    // startReadLoop calls, and their count when the current read began: a
    // read that fails because the port was replaced under it must not stop
    // a loop that was restarted meanwhile.
    std::atomic<unsigned> readLoopStarts = 0;
    unsigned startsAtRead = 0;

    std::atomic<bool> stopping = false;
    std::mutex finishMutex;
    std::condition_variable finishedChanged;
    bool finished = false;
    std::thread receiveThread;
};
