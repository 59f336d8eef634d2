#pragma once

#include "link/ConditionLock.h"
#include "ports/Port.h"

#include <algorithm>
#include <atomic>
#include <bitset>
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
// at most one of the others, and holds those only to store what a packet
// brought; a caller never holds two at once.
//
// Infrared loses bytes. A packet whose next byte does not come within
// packetGap is given up, so that the receive thread never holds readyLock
// waiting for bytes that were lost. A reply nobody waits for never blocks the
// receive thread: a newer one replaces it, and a reply wait passes over
// replies to other commands. And since a brick takes a command whose opcode
// byte equals the last one it heard for a repeat, answering it with its last
// reply, the packet keeps the opcode bytes the brick may have heard last: a
// sender asks mayBeTakenAsRepeat before it sends a new command.
//
// The line is normal (2400 bit/s, every byte with its complement) or, once
// the brick's ROM has been switched by a fast download image, fast (4800
// bit/s, no complements); setLineSpeed changes the port and the framing
// together.
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
    // The longest pause between two bytes of one packet: a byte lasts
    // 4.6 ms on the line, and readyLock is waited for 0.2 s.
    static constexpr Port::ReadLimit packetGap{100};

    // Reply-wait results besides a value of 0 or more.
    static constexpr int noReplyInTime = -1;
    static constexpr int wrongLength = -2;
    static constexpr int linkSuspended = -4;
    // getMessage: no such message.
    static constexpr int noSuchMessage = -2;

    // Starts the receive thread, which waits for startReadLoop before it
    // reads anything. The port is not owned and must outlive the packet.
    explicit RCXPacket(Port& port);
    // Stops and joins the receive thread (see stopReadLoop).
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
    // Whether the brick may take `opcode` with the present toggle bit for a
    // repeat: the last opcode byte it heard may have been that very byte.
    bool mayBeTakenAsRepeat(int opcode) const;
    void block();
    void unblock();

    // Switches the port's line and the framing both ways to `speed`, once
    // the receive thread is between packets (at most `timeout`): 0,
    // kIOReturnTimeout, or the port's refusal, which leaves both as they were.
    IOReturn setLineSpeed(LineSpeed speed, float timeout);
    LineSpeed lineSpeed() const { return complements ? LineSpeed::normal : LineSpeed::fast; }
    // Whether the port's fast line keeps odd parity (Port::fastLineKeepsParity).
    bool fastLineKeepsParity() { return myPort.fastLineKeepsParity(); }

    // Reply waits for the command sent with `opcode` (toggle bit clear).
    // A reply to another opcode byte (one that came late, after its command
    // was given up) is dropped and the wait goes on. A reply taken confirms
    // the command's opcode byte as the last one the brick heard.
    int replyCheck(int opcode, float timeout);
    int replyByte(int opcode, float timeout);
    int reply2Bytes(int opcode, float timeout);
    int replyBlock(int opcode, int length, std::uint8_t* data, float timeout);
    // Sets the reply length for the opcodes whose length the caller decides;
    // -2 for a length that would not fit the reply record, -4 while the link
    // is suspended.
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
    // Ends the receive thread for good, closing the port to end a read that
    // waits there: a close the thread was told of is no read error. For the
    // end of the application; every later command fails at once.
    void stopReadLoop();

private:
    enum class State { WaitReady, Reset, Idle, Header, Echo, Message, Reply, ReadError, Stopped };

    IOReturn readByte(std::uint8_t* byte, Port::ReadLimit limit);
    // Reads one byte of a packet, waiting at most packetGap; false after a
    // failed or timed-out read.
    bool read(std::uint8_t& byte, Port::ReadLimit limit = packetGap);
    // Where a packet that could not be read whole goes: back to looking for
    // a header, or to Read error when the port failed.
    State dropped() const;
    void readLoop();
    State idle();
    State header();
    State echo();
    State message();
    State reply();
    State readError();
    // Reads the complement of `byte`, on the normal line; true at once on
    // the fast one.
    bool expectComplement(std::uint8_t byte);
    // Reads `count` data bytes, each with its complement, then the checksum
    // (over the opcode and the data) and its complement.
    bool readData(std::uint8_t* data, int count);
    // A reply of `length` bytes (its opcode in reply[0], read) on the fast
    // line, where the ROM's long replies may still carry the opcode's
    // complement: taken without it when its checksum holds that way, else
    // with it.
    bool readFastReply(std::uint8_t* reply, int length);

    IOReturn linkRefusal() const;
    // Waits until the receive thread has read the echo of the packet just
    // written, at most as long as the packet takes on a 2400 bit/s line and
    // a reply wait more.
    void awaitEcho(std::size_t packetLength);
    void echoRead();
    IOReturn writeFramed(const std::uint8_t* packet, std::size_t length, float timeout);
    int expectedReplyOpcode(int opcode) const;
    template <typename Value> int awaitReply(int opcode, int length, float timeout, Value value);
    // The brick answered `opcodeByte`: it is the last byte it heard.
    void heardLast(std::uint8_t opcodeByte);
    // Hands a reply that checked out to the reply waits, replacing one that
    // nobody took.
    bool storeReply(const std::uint8_t* reply, int length);

    Port& myPort;
    ConditionLock readyLock{stopped};
    ConditionLock replyLock{replyEmpty};
    // A ConditionLock with a single condition serves as the timed lock of the
    // message ring: std::timed_mutex's timed wait is not understood by
    // ThreadSanitizer on this toolchain.
    ConditionLock messageLock{0};

    std::atomic<int> blockLength = 0;
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
    // The opcode bytes written since the last one the brick confirmed by its
    // reply (that one included): any of them may be the last it heard.
    std::bitset<256> mayBeLastHeard;
    std::atomic<bool> blocked = false;
    // False on the fast line. Changed only while readyLock is held, so a
    // packet is read whole in one framing.
    std::atomic<bool> complements = true;
    // The reply opcode of the packet written last. Without complements a
    // noisy byte can make any opcode of a long reply, which would swallow
    // the packets after it: on the fast line only this one is read.
    std::atomic<std::uint8_t> awaitedReply = 0;
    int backup = 0;

    // Receive-thread state: the packet being decoded, the last read's result.
    std::uint8_t opcode = 0;
    IOReturn readResult = 0;

    std::atomic<bool> stopping = false;
    std::mutex finishMutex;
    std::condition_variable finishedChanged;
    bool finished = false;
    std::thread receiveThread;
};
