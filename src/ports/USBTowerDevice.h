#pragma once

#include <chrono>
#include <cstdint>

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

    virtual ~USBTowerDevice() = default;

    // Opens the first attached device with these identifiers;
    // LIBUSB_ERROR_NOT_FOUND when none is attached.
    virtual int open(std::uint16_t vendor, std::uint16_t product) = 0;
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
