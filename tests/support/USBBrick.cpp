#include "support/USBBrick.h"

#include "ports/NoPort.h"
#include "ports/USBPort.h"

USBLink::USBLink()
    : link(listener, std::make_unique<AllPorts>(std::make_unique<NoPort>(), std::make_unique<USBPort>()))
{
}

IOReturn USBLink::open(const std::string& path)
{
    ports.findPorts();
    const IOReturn result = ports.setPort(AllPorts::usbType, "", path);
    if (result == kIOReturnSuccess)
        link.packet().startReadLoop();
    return result;
}

USBBrick::USBBrick(bool paced)
    : tower(bus.plug("1-3", paced))
{
    usb.open();
}
