#pragma once

#include "ports/Port.h"

#include <string>
#include <vector>

// The serial IR tower on a serial line. This first version lists no lines and
// opens none; the device search and the termios line arrive with the towers.
class SerialPort : public Port {
public:
    SerialPort();

    int findPorts() override;
    std::string portNameAtIndex(int index) override;
    std::string portPathAtIndex(int index) override;
    IOReturn openPort(const std::string& path) override;
    void closePort() override;
    bool echoes() override;
    IOReturn write(const std::uint8_t* bytes, int length) override;
    IOReturn readByte(std::uint8_t* byte) override;

private:
    std::vector<std::string> portPathList;
    std::vector<std::string> portNameList;
};
