#include "link/RCXSender.h"

#include "ports/Diagnostic.h"
#include "protocol/Datalog.h"
#include "protocol/Opcodes.h"
#include "protocol/Words.h"

#include <cstring>
#include <vector>

RCXSender::RCXSender(RCXPacket& packet, Control* controller)
    : myRCXPacket(packet)
{
    myControllers.reserve(2);
    myControllers.push_back(controller);
}

void RCXSender::addController(Control* controller)
{
    myControllers.push_back(controller);
}

void RCXSender::tellTimeout()
{
    if (quietTimeouts > 0)
        return;
    for (Control* controller : myControllers)
        controller->timeout();
}

void RCXSender::tellTowerError()
{
    for (Control* controller : myControllers)
        controller->towerError();
}

float RCXSender::blockTimeout(int length)
{
    return static_cast<float>(length / 100.0 + 0.2);
}

// One command with a new toggle bit and up to three attempts with the same
// one. Returns the wait's first result of 0 or more, or -1 once the listeners
// have been told.
template <typename Send, typename Wait> int RCXSender::exchange(int opcode, Send send, Wait wait)
{
    if (!chooseToggle(opcode))
        return -1;
    return retried(send, wait);
}

template <typename Send, typename Wait> int RCXSender::retried(Send send, Wait wait)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const IOReturn sent = send();
        if (sent == kIOReturnTimeout) {
            tellTimeout();
            return -1;
        }
        if (sent != kIOReturnSuccess) {
            tellTowerError();
            return -1;
        }
        const int result = wait();
        if (result >= 0)
            return result;
    }
    tellTimeout();
    return -1;
}

// A new command gets the other toggle bit. The brick takes a command whose
// opcode byte equals the last one it heard for a repeat and answers it with
// its old reply; after a failed exchange or a command without reply the host
// no longer knows that byte, so the command gets the bit that cannot be
// taken for a repeat, and where neither can be ruled out, the brick first
// answers an alive command. False when even that failed (the listeners have
// been told).
bool RCXSender::chooseToggle(int opcode)
{
    for (int flips = 0; flips < 2; ++flips) {
        myRCXPacket.toggleNow();
        if (!myRCXPacket.mayBeTakenAsRepeat(opcode))
            return true;
    }
    // An alive command taken for a repeat is answered as an alive command.
    myRCXPacket.toggleNow();
    if (retried([&] { return myRCXPacket.sendPacket(Opcode::alive, {}, replyTimeout); },
                 [&] { return myRCXPacket.replyCheck(Opcode::alive, replyTimeout); }) < 0)
        return false;
    myRCXPacket.toggleNow();
    return true;
}

void RCXSender::sendCodeNoReply(int opcode, Arguments arguments)
{
    myRCXPacket.unToggle();
    const IOReturn sent = myRCXPacket.sendPacket(opcode, arguments, replyTimeout);
    if (sent == kIOReturnTimeout)
        tellTimeout();
    if (sent != kIOReturnSuccess)
        tellTowerError();
}

bool RCXSender::isAlive()
{
    return exchange(Opcode::alive, [&] { return myRCXPacket.sendPacket(Opcode::alive, {}, replyTimeout); },
                    [&] { return myRCXPacket.replyCheck(Opcode::alive, replyTimeout); }) >= 0;
}

void RCXSender::sendCode(int opcode, Arguments arguments)
{
    exchange(opcode, [&] { return myRCXPacket.sendPacket(opcode, arguments, replyTimeout); },
             [&] { return myRCXPacket.replyCheck(opcode, replyTimeout); });
}

std::uint8_t RCXSender::sendCodeGet1(int opcode, Arguments arguments)
{
    const int result = exchange(opcode, [&] { return myRCXPacket.sendPacket(opcode, arguments, replyTimeout); },
                                [&] { return myRCXPacket.replyByte(opcode, replyTimeout); });
    return result < 0 ? 0 : static_cast<std::uint8_t>(result);
}

int RCXSender::sendCodeGet2(int opcode, Arguments arguments)
{
    const int result = exchange(opcode, [&] { return myRCXPacket.sendPacket(opcode, arguments, replyTimeout); },
                                [&] { return myRCXPacket.reply2Bytes(opcode, replyTimeout); });
    return result < 0 ? 0 : static_cast<std::int16_t>(result);
}

void RCXSender::sendCodeGetBlock(int opcode, std::uint8_t* data, int length, Arguments arguments)
{
    const int result =
        exchange(opcode, [&] { return myRCXPacket.sendPacket(opcode, arguments, replyTimeout); },
                 [&] { return myRCXPacket.replyBlock(opcode, length, data, blockTimeout(length)); });
    if (result < 0 && length > 0)
        std::memset(data, 0, static_cast<std::size_t>(length));
}

void RCXSender::uploadBlock(std::uint16_t first, std::uint16_t count, std::uint8_t* types, std::uint16_t* values)
{
    if (6 * count + 7 > RCXPacket::echoCapacity) {
        diagnostic("Packet too large\n");
        return;
    }
    const int length = datalogEntryBytes * count;
    // Zeros unless the brick's reply fills them, as after any other failure.
    std::vector<std::uint8_t> entries(static_cast<std::size_t>(length));
    if (myRCXPacket.setBlockLength(length, replyTimeout) < 0)
        tellTimeout();
    else
        sendCodeGetBlock(Opcode::uploadDatalog, entries.data(), length,
                         {lowByte(first), highByte(first), lowByte(count), highByte(count)});
    for (int i = 0; i < count; ++i) {
        const std::size_t entry = static_cast<std::size_t>(datalogEntryBytes * i);
        types[i] = entries[entry];
        values[i] = littleEndian16(entries, entry + 1);
    }
}

int RCXSender::sendBlock(std::uint16_t block, std::uint16_t length, const std::uint8_t* data)
{
    return exchange(Opcode::transferData,
                    [&] { return myRCXPacket.sendDLPacket(block, length, data, blockTimeout(length)); },
                    [&] { return myRCXPacket.replyByte(Opcode::transferData, replyTimeout); });
}
