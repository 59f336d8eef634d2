#pragma once

#include "link/RCXSender.h"
#include "rcx/RCXController.h"
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

// A controller and its link to the in-process virtual brick, through a
// scripted tower with echo. A test may answer an opcode itself: the brick
// still acts on the command, but the test's reply data (none: silence) goes back.
class VirtualBrick {
public:
    using Answer = std::function<std::optional<Bytes>(const Command& command)>;

    explicit VirtualBrick(bool firmwarePresent = true);

    void answer(int opcode, Answer answer) { answers[opcode] = std::move(answer); }
    std::vector<Command> commands() const;
    std::vector<Block> blocks() const;
    std::string control(const std::string& line) { return BrickControl(brick).run(line); }

    Brick brick;
    ScriptedPort port;
    RCXPacket packet{port};
    RecordingListener listener;
    RCXSender sender{packet, &listener};
    RCXController controller{sender, packet};

private:
    std::map<int, Answer> answers;
};
