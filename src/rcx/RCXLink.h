#pragma once

#include "link/Control.h"
#include "link/RCXPacket.h"
#include "link/RCXSender.h"
#include "ports/AllPorts.h"
#include "rcx/RCXController.h"

#include <memory>

// The chain of objects that talks to the brick, each built on the one
// before: the port list with the null port current, the packet on it (its
// receive thread starts at once and waits until told to read), the sender on
// the packet, and the brick's commands on both. The chain is torn down the
// other way round, so the receive thread has ended before the port list
// goes. One per program, living as long as it does.
class RCXLink {
public:
    // `firstListener` hears of every failed exchange before the listeners
    // added to the sender later; `ports` is the port list, by default all
    // ports of this machine.
    explicit RCXLink(Control& firstListener, std::unique_ptr<AllPorts> ports = std::make_unique<AllPorts>());

    AllPorts& port() { return *myPort; }
    RCXPacket& packet() { return myPacket; }
    RCXSender& sender() { return myRCXSender; }
    RCXController& controller() { return myRCXController; }

private:
    std::unique_ptr<AllPorts> myPort;
    RCXPacket myPacket;
    RCXSender myRCXSender;
    RCXController myRCXController;
};
