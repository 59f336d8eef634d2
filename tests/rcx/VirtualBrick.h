#pragma once

#include "ScriptedBrick.h"

#include "sim/Brick.h"
#include "sim/BrickPort.h"

// A controller talking to the virtual brick in the same process, through its
// serial tower with echo.
class VirtualBrick {
public:
    explicit VirtualBrick(bool firmwarePresent = true);

    // Commands the brick decoded, the toggle bit cleared.
    std::vector<Command> commands() const;
    std::vector<Block> blocks() const;
    // The names the controller holds for a slot (1-5), as "task 0 main" etc.
    std::vector<std::string> names(int slot);

    Brick brick;
    BrickPort port{brick};
    RCXPacket packet{port};
    CountingListener listener;
    RCXSender sender{packet, &listener};
    RCXController controller{sender, packet};
};
