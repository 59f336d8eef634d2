#include "rcx/RCXLink.h"

RCXLink::RCXLink(Control& firstListener, std::unique_ptr<AllPorts> ports)
    : myPort(std::move(ports))
    , myPacket(*myPort)
    , myRCXSender(myPacket, &firstListener)
    , myRCXController(myRCXSender, myPacket)
{
}
