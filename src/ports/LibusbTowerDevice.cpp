#include "ports/LibusbTowerDevice.h"

#include <libusb.h>

#include <algorithm>

LibusbTowerDevice::~LibusbTowerDevice()
{
    close();
    if (context)
        libusb_exit(context);
}

namespace {

USBTowerDevice::Place placeOf(libusb_device* device)
{
    std::uint8_t ports[7]; // the deepest a USB tree goes
    const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
    return {libusb_get_bus_number(device), std::vector<int>(ports, ports + std::max(depth, 0))};
}

} // namespace

int LibusbTowerDevice::visitDevices(std::uint16_t vendor, std::uint16_t product,
                                    const std::function<bool(libusb_device*)>& visit)
{
    if (!context) {
        if (const int result = libusb_init(&context)) {
            context = nullptr;
            return result;
        }
    }
    libusb_device** devices;
    const ssize_t count = libusb_get_device_list(context, &devices);
    if (count < 0)
        return static_cast<int>(count);
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor;
        if (libusb_get_device_descriptor(devices[i], &descriptor) == 0 && descriptor.idVendor == vendor
            && descriptor.idProduct == product && visit(devices[i]))
            break;
    }
    libusb_free_device_list(devices, 1);
    return 0;
}

std::vector<USBTowerDevice::Place> LibusbTowerDevice::findDevices(std::uint16_t vendor, std::uint16_t product)
{
    std::vector<Place> places;
    visitDevices(vendor, product, [&](libusb_device* device) {
        places.push_back(placeOf(device));
        return false;
    });
    return places;
}

int LibusbTowerDevice::open(std::uint16_t vendor, std::uint16_t product, const std::optional<Place>& place)
{
    int result = LIBUSB_ERROR_NOT_FOUND;
    const int searched = visitDevices(vendor, product, [&](libusb_device* device) {
        if (place && placeOf(device) != *place)
            return false;
        result = libusb_open(device, &handle);
        return true;
    });
    if (searched != 0)
        result = searched;
    if (result != 0)
        handle = nullptr;
    return result;
}

int LibusbTowerDevice::readLayout(Layout& layout)
{
    libusb_config_descriptor* configuration;
    if (const int result = libusb_get_config_descriptor(libusb_get_device(handle), 0, &configuration))
        return result;
    int result = LIBUSB_ERROR_NOT_FOUND;
    if (configuration->bNumInterfaces > 0 && configuration->interface[0].num_altsetting > 0) {
        const libusb_interface_descriptor& interface = configuration->interface[0].altsetting[0];
        if (interface.bNumEndpoints >= 2) {
            const libusb_endpoint_descriptor& in = interface.endpoint[0];
            const libusb_endpoint_descriptor& out = interface.endpoint[1];
            layout = {configuration->bConfigurationValue, interface.bInterfaceNumber, in.bEndpointAddress,
                      out.bEndpointAddress, in.wMaxPacketSize};
            interruptEndpoints = 0;
            for (const libusb_endpoint_descriptor* endpoint : {&in, &out}) {
                if ((endpoint->bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) == LIBUSB_TRANSFER_TYPE_INTERRUPT)
                    interruptEndpoints |= 1u << (endpoint->bEndpointAddress & LIBUSB_ENDPOINT_ADDRESS_MASK);
            }
            result = 0;
        }
    }
    libusb_free_config_descriptor(configuration);
    return result;
}

int LibusbTowerDevice::detachKernelDriver(int interfaceNumber, bool& detached)
{
    detached = false;
    const int active = libusb_kernel_driver_active(handle, interfaceNumber);
    if (active == LIBUSB_ERROR_NOT_SUPPORTED)
        return 0;
    if (active != 1)
        return active;
    const int result = libusb_detach_kernel_driver(handle, interfaceNumber);
    detached = result == 0;
    return result;
}

int LibusbTowerDevice::setConfiguration(int configuration)
{
    return libusb_set_configuration(handle, configuration);
}

int LibusbTowerDevice::claimInterface(int interfaceNumber)
{
    return libusb_claim_interface(handle, interfaceNumber);
}

int LibusbTowerDevice::reset()
{
    return libusb_reset_device(handle);
}

int LibusbTowerDevice::transfer(std::uint8_t endpoint, std::uint8_t* data, int length, int& transferred,
                                std::chrono::milliseconds timeout)
{
    transferred = 0;
    const auto milliseconds = static_cast<unsigned>(timeout.count());
    if (interruptEndpoints & (1u << (endpoint & LIBUSB_ENDPOINT_ADDRESS_MASK)))
        return libusb_interrupt_transfer(handle, endpoint, data, length, &transferred, milliseconds);
    return libusb_bulk_transfer(handle, endpoint, data, length, &transferred, milliseconds);
}

int LibusbTowerDevice::vendorRequest(std::uint8_t request, std::uint16_t value)
{
    constexpr unsigned timeout = 1000; // ms
    constexpr auto requestType = static_cast<std::uint8_t>(LIBUSB_ENDPOINT_IN) |
                                 static_cast<std::uint8_t>(LIBUSB_REQUEST_TYPE_VENDOR) |
                                 static_cast<std::uint8_t>(LIBUSB_RECIPIENT_DEVICE);
    std::uint8_t reply[4] = {};
    const int result = libusb_control_transfer(handle, requestType, request, value, 0, reply, sizeof reply, timeout);
    if (result < 0)
        return result;
    if (result < 3)
        return LIBUSB_ERROR_IO;
    return reply[2];
}

void LibusbTowerDevice::releaseInterface(int interfaceNumber)
{
    libusb_release_interface(handle, interfaceNumber);
}

void LibusbTowerDevice::attachKernelDriver(int interfaceNumber)
{
    libusb_attach_kernel_driver(handle, interfaceNumber);
}

void LibusbTowerDevice::close()
{
    if (handle)
        libusb_close(handle);
    handle = nullptr;
}
