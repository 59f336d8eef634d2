#pragma once

#include "ports/Port.h"

// The LEGO USB IR Tower. This first version always lists the tower and finds
// none attached; the libusb transport arrives with the towers.
class USBPort : public Port {
public:
    static constexpr const char* towerName = "USB IR Tower";
    static constexpr IOReturn noTowerAttached = -1;

    int findPorts() override;
    std::string portNameAtIndex(int index) override;
    std::string portPathAtIndex(int index) override;
    IOReturn openPort(const std::string& path) override;
    void closePort() override;
    bool echoes() override;
    IOReturn write(const std::uint8_t* bytes, int length) override;
    IOReturn readByte(std::uint8_t* byte) override;
};
