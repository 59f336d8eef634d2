#pragma once

#include "link/RCXPacket.h"
#include "link/RCXSender.h"
#include "rcx/RCXController.h"
#include "sim/Brick.h"
#include "sim/BrickPort.h"
#include "support/QtPrinters.h"

#include <cstdint>
#include <vector>

// The virtual brick in this process, behind the whole chain of host objects
// down to the tower port: what the models send arrives on its infrared.
struct VirtualBrick : Control {
    VirtualBrick()
    {
        port.openPort("brick");
        packet.startReadLoop();
    }

    void timeout() override { ++failures; }
    void towerError() override { ++failures; }

    // The commands the brick has heard, the toggle bit cleared.
    std::vector<ByteString> commands() const
    {
        std::vector<ByteString> heard = brick.history();
        for (ByteString& command : heard)
            command[0] &= static_cast<std::uint8_t>(~0x08);
        return heard;
    }

    int failures = 0;
    Brick brick;
    BrickPort port{brick};
    RCXPacket packet{port};
    RCXSender sender{packet, this};
    RCXController controller{sender, packet};
};
