#pragma once

#include "rcx/RCXLink.h"
#include "sim/Brick.h"
#include "sim/BrickControl.h"
#include "support/Recording.h"
#include "support/ScriptedPort.h"

#include <map>
#include <optional>

// One command as the brick heard it, the toggle bit cleared.
using Command = Bytes;

// One download block as the brick heard it.
struct Block {
    int index;
    Bytes data;
    bool operator==(const Block&) const = default;
};

// The virtual brick in the same process, and the link to it as the
// application builds it, with a scripted tower with echo as the serial port
// it chose. The tower's line speed is the host's setting as a serial tower
// has it (normal 2400 bit/s odd parity, fast 4800 without): where it is not
// the brick's line mode, each side hears garbage. A test may answer an
// opcode itself: the brick still acts on the command, but the test's reply
// data (none: silence) goes back. `afterEach` runs once the brick has taken
// each packet written.
class VirtualBrick {
public:
    using Answer = std::function<std::optional<Bytes>(const Command& command)>;

    explicit VirtualBrick(bool firmwarePresent = true);

    void answer(int opcode, Answer answer) { answers[opcode] = std::move(answer); }
    std::vector<Command> commands() const;
    std::vector<Block> blocks() const;
    std::string control(const std::string& line) { return BrickControl(brick).run(line); }
    // Power off on the brick's present line, then on again, as a user does.
    void switchOffAndOn();

    // The line's faults: may change the bytes the brick hears of each packet.
    std::function<void(Bytes&)> onTheLine;
    std::function<void()> afterEach;

    Brick brick;
    RecordingListener listener;
    ScriptedPort& port; // owned by the link's port list
    RCXLink link;
    RCXPacket& packet = link.packet();
    RCXSender& sender = link.sender();
    RCXController& controller = link.controller();

private:
    Bytes respond(const Bytes& packet);

    std::map<int, Answer> answers;
};
