#pragma once

#include "ports/ClosingGate.h"
#include "ports/Port.h"
#include "ports/USBTowerDevice.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The LEGO USB IR Tower, through libusb. One tower, or none, is listed as
// "USB IR Tower" and opened as the first tower found; several are listed
// each by its place on the bus ("USB IR Tower (bus 1, port 3)", path
// "1-3"), so that a saved port opens the same tower again. While the port
// holds the tower, the kernel's own tower driver is detached from it;
// closing gives it back.
//
// The tower's in-endpoint delivers a few bytes per packet: readByte hands
// them out one at a time from a buffer filled one whole packet at a time.
// A read waits in transfers of a short, bounded time, and checks between two
// of them whether the port is being closed or its time is up, so that
// closePort from another thread ends it within that time.
class USBPort : public Port {
public:
    using Pause = std::function<void(std::chrono::milliseconds)>;

    static constexpr const char* towerName = "USB IR Tower";
    static constexpr IOReturn noTowerAttached = -1;
    static constexpr std::uint16_t vendorID = 0x0694;
    static constexpr std::uint16_t productID = 0x0001;
    static constexpr int largestWrite = 32;
    // A tower held by another program is tried this often, this far apart.
    static constexpr int openAttempts = 5;
    static constexpr std::chrono::milliseconds retryPause{500};
    // How long one read transfer waits before the read checks for a close.
    static constexpr std::chrono::milliseconds readSlice{25};
    // A tower that takes no more bytes for this long has failed.
    static constexpr std::chrono::milliseconds writeTimeout{2000};

    // The tower's vendor requests that change its line, and their values.
    // A parameter request's value carries the parameter in its low byte and
    // the setting in its high byte.
    static constexpr std::uint8_t setParameterRequest = 0x02;
    static constexpr std::uint8_t setTransmitSpeedRequest = 0xEF;
    static constexpr std::uint8_t setReceiveSpeedRequest = 0xF1;
    static constexpr std::uint8_t rangeParameter = 0x02;
    static constexpr std::uint8_t shortRange = 0x01;
    static constexpr std::uint8_t mediumRange = 0x02;
    static constexpr std::uint8_t longRange = 0x03;
    static constexpr std::uint16_t speed2400 = 0x08;
    static constexpr std::uint16_t speed4800 = 0x10;

    USBPort();
    // For tests: another device, and another way to pause between attempts.
    USBPort(std::unique_ptr<USBTowerDevice> device, Pause pause);
    ~USBPort() override;
    USBPort(const USBPort&) = delete;
    USBPort& operator=(const USBPort&) = delete;

    // The towers attached now; at least 1, the one entry for no tower.
    int findPorts() override;
    std::string portNameAtIndex(int index) override;
    std::string portPathAtIndex(int index) override;
    // Opens the tower at the place a path names, else the first one, and
    // sets its range. 0, -1 when no such tower is attached,
    // kIOReturnExclusiveAccess when another program holds it through every
    // attempt, the tower's error code when it refuses the range, else the
    // failing libusb status; a failed open lets go of whatever it had taken.
    IOReturn openPort(const std::string& path) override;
    void closePort() override;
    bool echoes() override;
    IOReturn write(const std::uint8_t* bytes, int length) override;
    IOReturn readByte(std::uint8_t* byte, ReadLimit limit) override;
    // Both speeds, and the range: short for the fast line (the brick is near
    // and the faster bits need a strong signal), the chosen one for the
    // normal line. The tower's error code or the libusb status of the first
    // request that failed.
    IOReturn setLineSpeed(LineSpeed speed) override;
    // The tower cannot switch its parity off.
    bool fastLineKeepsParity() override;
    // Medium, the tower's own, until told otherwise.
    void setTowerRange(TowerRange range) override;

private:
    // The place of entry `index` when several towers are listed.
    const USBTowerDevice::Place* listedPlace(int index) const;
    IOReturn openOnce(const std::optional<USBTowerDevice::Place>& place);
    // Undoes what the open has done so far, last step first.
    void release();
    IOReturn setRange(std::uint8_t code);
    // One vendor request; a refusal or a failure is reported.
    IOReturn towerRequest(std::uint8_t request, std::uint16_t value);

    std::unique_ptr<USBTowerDevice> fDevice;
    Pause pause;
    std::vector<USBTowerDevice::Place> towers;
    USBTowerDevice::Layout layout;
    bool deviceOpen = false;
    bool driverDetached = false;
    bool interfaceClaimed = false;
    TowerRange range = TowerRange::mediumRange;
    std::vector<std::uint8_t> readBuffer;
    std::size_t readNext = 0;
    std::size_t readEnd = 0;
    ClosingGate gate;
};
