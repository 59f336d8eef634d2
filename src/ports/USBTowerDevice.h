#pragma once

#include <chrono>
#include <cstdint>
#include <compare>
#include <optional>
#include <vector>

// The few USB operations the USB tower port needs, on one device at a time:
// a thin seam over libusb, so that the port's logic can be tried on a fake
// device. Every operation returns 0 or a negative libusb status.
class USBTowerDevice {
public:
    // What configuration descriptor 0 says about the tower.
    struct Layout {
        int configuration = 0;
        int interfaceNumber = 0;
        // The first interface's first endpoint (read) and second (write).
        std::uint8_t inEndpoint = 0;
        std::uint8_t outEndpoint = 0;
        int inPacketSize = 0;
    };

    // Where a device is plugged in: its bus, and the ports from the root hub
    // down to it (one port, or a hub's port after the hub's own).
    struct Place {
        int bus = 0;
        std::vector<int> ports;
        auto operator<=>(const Place&) const = default;
    };

    virtual ~USBTowerDevice() = default;

    // The places of the attached devices with these identifiers; none when
    // the bus cannot be searched.
    virtual std::vector<Place> findDevices(std::uint16_t vendor, std::uint16_t product) = 0;
    // Opens the attached device with these identifiers at `place`, or the
    // first one when no place is given; LIBUSB_ERROR_NOT_FOUND when there
    // is no such device.
    virtual int open(std::uint16_t vendor, std::uint16_t product, const std::optional<Place>& place) = 0;
    virtual int readLayout(Layout& layout) = 0;
    // Takes the interface from the kernel's own driver, if one is bound to
    // it; `detached` says whether one was.
    virtual int detachKernelDriver(int interfaceNumber, bool& detached) = 0;
    virtual int setConfiguration(int configuration) = 0;
    virtual int claimInterface(int interfaceNumber) = 0;
    virtual int reset() = 0;
    // One transfer on an endpoint, in or out by its address; `transferred`
    // counts the bytes moved, also when the time ran out (LIBUSB_ERROR_TIMEOUT).
    virtual int transfer(std::uint8_t endpoint, std::uint8_t* data, int length, int& transferred,
                         std::chrono::milliseconds timeout) = 0;
    // One of the tower's vendor requests (device to host, answered with the
    // tower's 4-byte reply header: its length, an error code and a value):
    // 0, the tower's non-zero error code, or a negative libusb status.
    virtual int vendorRequest(std::uint8_t request, std::uint16_t value) = 0;

    // The undoing of open, detachKernelDriver and claimInterface.
    virtual void releaseInterface(int interfaceNumber) = 0;
    virtual void attachKernelDriver(int interfaceNumber) = 0;
    virtual void close() = 0;
};
