#pragma once

#include "link/Control.h"
#include "link/RCXPacket.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

// Makes one brick command into a complete exchange: a new toggle bit, the
// packet, the reply wait, up to three attempts, and the listeners told when
// the brick does not answer (timeout) or the tower fails (towerError). A
// failed exchange returns a neutral value (0, zeros, -1).
//
// Argument bytes follow the opcode, one int each, low 8 bits sent; 16-bit
// values go as two arguments, low byte first.
class RCXSender {
public:
    using Arguments = std::initializer_list<int>;

    static constexpr float replyTimeout = 0.2f;
    static constexpr int attempts = 3;
    static constexpr int maxUploadEntries = 84;

    RCXSender(RCXPacket& packet, Control* controller);
    void addController(Control* controller);

    void sendCodeNoReply(int opcode, Arguments arguments = {});
    void sendCode(int opcode, Arguments arguments = {});
    std::uint8_t sendCodeGet1(int opcode, Arguments arguments = {});
    int sendCodeGet2(int opcode, Arguments arguments = {});
    void sendCodeGetBlock(int opcode, std::uint8_t* data, int length, Arguments arguments = {});
    // Fetches `count` datalog entries from entry `first`, split into their
    // types and their values; zeros when the exchange fails. More than
    // maxUploadEntries do not fit a packet: the arrays are left alone.
    void uploadBlock(std::uint16_t first, std::uint16_t count, std::uint8_t* types, std::uint16_t* values);
    // Sends one download block; the brick's status byte, or -1 on failure.
    int sendBlock(std::uint16_t block, std::uint16_t length, const std::uint8_t* data);

    // Whether the brick answers an alive command.
    bool isAlive();

    // The wait for a block of `length` bytes: longer, as the block is.
    static float blockTimeout(int length);

    // While one lives, the brick's silence is not told to the listeners: a
    // transfer that tries a line and falls back tells its own failures. The
    // tower's failures are told as ever.
    class QuietTimeouts {
    public:
        explicit QuietTimeouts(RCXSender& sender) : sender(sender) { ++sender.quietTimeouts; }
        ~QuietTimeouts() { --sender.quietTimeouts; }
        QuietTimeouts(const QuietTimeouts&) = delete;
        QuietTimeouts& operator=(const QuietTimeouts&) = delete;

    private:
        RCXSender& sender;
    };

private:
    template <typename Send, typename Wait> int exchange(int opcode, Send send, Wait wait);
    template <typename Send, typename Wait> int retried(Send send, Wait wait);
    bool chooseToggle(int opcode);
    void tellTimeout();
    void tellTowerError();

    RCXPacket& myRCXPacket;
    std::vector<Control*> myControllers;
    int quietTimeouts = 0;
};
