#pragma once

#include "ports/USBTowerDevice.h"

#include <functional>

struct libusb_context;
struct libusb_device;
struct libusb_device_handle;

// The USB tower through libusb-1.0. The library is started on the first open,
// so that a machine without USB support still starts.
class LibusbTowerDevice : public USBTowerDevice {
public:
    LibusbTowerDevice() = default;
    ~LibusbTowerDevice() override;
    LibusbTowerDevice(const LibusbTowerDevice&) = delete;
    LibusbTowerDevice& operator=(const LibusbTowerDevice&) = delete;

    std::vector<Place> findDevices(std::uint16_t vendor, std::uint16_t product) override;
    int open(std::uint16_t vendor, std::uint16_t product, const std::optional<Place>& place) override;
    int readLayout(Layout& layout) override;
    int detachKernelDriver(int interfaceNumber, bool& detached) override;
    int setConfiguration(int configuration) override;
    int claimInterface(int interfaceNumber) override;
    int reset() override;
    int transfer(std::uint8_t endpoint, std::uint8_t* data, int length, int& transferred,
                 std::chrono::milliseconds timeout) override;
    int vendorRequest(std::uint8_t request, std::uint16_t value) override;
    void releaseInterface(int interfaceNumber) override;
    void attachKernelDriver(int interfaceNumber) override;
    void close() override;

private:
    // Calls `visit` with each attached device with these identifiers until
    // it returns true; 0 or the status of a failed search.
    int visitDevices(std::uint16_t vendor, std::uint16_t product, const std::function<bool(libusb_device*)>& visit);

    libusb_context* context = nullptr;
    libusb_device_handle* handle = nullptr;
    // Endpoints (by number, 0 to 15) whose transfers are interrupt transfers.
    std::uint16_t interruptEndpoints = 0;
};
