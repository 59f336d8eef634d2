#pragma once

#include "ports/NoPort.h"
#include "ports/Port.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

// All ports as one numbered list (serial lines first, then the USB tower),
// and the current port, to which every I/O operation is forwarded.
class AllPorts : public Port {
public:
    static constexpr const char* serialType = "Serial";
    static constexpr const char* usbType = "USB";
    static constexpr const char* noPortType = "NoPort";

    AllPorts();
    // For tests and other front ends: the serial and USB ports to list.
    AllPorts(std::unique_ptr<Port> serialPort, std::unique_ptr<Port> usbPort);

    int findPorts() override;
    std::string portTypeAtIndex(int index) const;
    std::string portNameAtIndex(int index) override;
    std::string portPathAtIndex(int index) override;
    // Closes the current port, opens the one of the given type ("Serial",
    // "USB", any case; anything else is the null port) at path, and falls
    // back to the null port when that fails. The name is not used.
    IOReturn setPort(const std::string& type, const std::string& name, const std::string& path);

    IOReturn openPort(const std::string& path) override;
    void closePort() override;
    bool echoes() override;
    IOReturn write(const std::uint8_t* bytes, int length) override;
    // Reads from the current port. A read that fails because setPort
    // replaced the port under it, by one that opened, reads on from the new
    // port: the reader never sees the old port's failure. Any other failure,
    // the new port's failing to open included, is the reader's.
    IOReturn readByte(std::uint8_t* byte, ReadLimit limit) override;
    IOReturn setLineSpeed(LineSpeed speed) override;
    bool fastLineKeepsParity() override;
    // For the serial and the USB port alike.
    void setTowerRange(TowerRange range) override;

private:
    // Opens so far, once no setPort is under way.
    unsigned settledOpens();
    // Whether a port was opened by setPort since `opens`, once no setPort
    // is under way.
    bool reopenedSince(unsigned opens);
    void switching(bool underWay, bool opened);

    std::unique_ptr<Port> mySerialPort;
    std::unique_ptr<Port> myUSBPort;
    std::unique_ptr<NoPort> myNoPort;
    // Read by the receive thread while the main thread may change it.
    std::atomic<Port*> myPort;
    int serialCount = 0;
    int usbCount = 0;

    std::mutex switchMutex;
    std::condition_variable switchChanged;
    bool switchUnderWay = false;
    unsigned opens = 0;
};
