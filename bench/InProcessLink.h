#pragma once

#include "link/RCXSender.h"
#include "sim/Brick.h"
#include "sim/BrickPort.h"
#include "support/Recording.h"

// A host's link to a virtual brick in the same process: the in-process
// tower, the receive thread and a sender.
struct InProcessLink {
    explicit InProcessLink(Brick& brick) : port(brick)
    {
        port.openPort("brick");
        packet.startReadLoop();
    }

    BrickPort port;
    RecordingListener listener;
    RCXPacket packet{port};
    RCXSender sender{packet, &listener};
};
