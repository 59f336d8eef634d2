#include "ports/USBPort.h"

#include "ports/Diagnostic.h"
#include "ports/LibusbTowerDevice.h"

#include <libusb.h>

#include <algorithm>
#include <charconv>
#include <string_view>
#include <utility>
#include <thread>

namespace {

// Another program (or the kernel's driver, still bound) holds the tower.
bool held(int result)
{
    return result == LIBUSB_ERROR_BUSY;
}

int reported(const char* step, int result)
{
    if (result != 0)
        diagnostic("%s returned: %d\n", step, result);
    return result;
}

using Place = USBTowerDevice::Place;

std::string joinedPorts(const Place& place)
{
    std::string ports;
    for (const int port : place.ports)
        ports += (ports.empty() ? "" : ".") + std::to_string(port);
    return ports;
}

// "bus 1, port 3"; behind a hub "bus 1, port 3.2".
std::string placeName(const Place& place)
{
    return "bus " + std::to_string(place.bus) + ", port " + joinedPorts(place);
}

// The kernel's name for the place: "1-3", "1-3.2".
std::string placePath(const Place& place)
{
    return std::to_string(place.bus) + "-" + joinedPorts(place);
}

// A whole decimal number, or none.
std::optional<int> number(std::string_view text)
{
    int value;
    const char* end = text.data() + text.size();
    const auto [after, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || after != end || value < 0)
        return std::nullopt;
    return value;
}

// The place a path names; none for "USB IR Tower" or anything else.
std::optional<Place> placeAtPath(std::string_view path)
{
    const std::size_t dash = path.find('-');
    const std::optional<int> bus = number(path.substr(0, dash));
    if (dash == std::string_view::npos || !bus)
        return std::nullopt;
    Place place{*bus, {}};
    for (std::string_view ports = path.substr(dash + 1);;) {
        const std::size_t dot = ports.find('.');
        const std::optional<int> port = number(ports.substr(0, dot));
        if (!port)
            return std::nullopt;
        place.ports.push_back(*port);
        if (dot == std::string_view::npos)
            return place;
        ports.remove_prefix(dot + 1);
    }
}

// The tower's code for a range.
std::uint8_t rangeCode(TowerRange range)
{
    constexpr std::uint8_t codes[] = {USBPort::shortRange, USBPort::mediumRange, USBPort::longRange};
    return codes[static_cast<int>(range)];
}

} // namespace

USBPort::USBPort()
    : USBPort(std::make_unique<LibusbTowerDevice>(),
              [](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); })
{
}

USBPort::USBPort(std::unique_ptr<USBTowerDevice> device, Pause pause)
    : fDevice(std::move(device))
    , pause(std::move(pause))
{
}

USBPort::~USBPort()
{
    closePort();
}

int USBPort::findPorts()
{
    // In the order of their places, whichever order the bus found them in.
    towers = fDevice->findDevices(vendorID, productID);
    std::sort(towers.begin(), towers.end());
    return std::max(static_cast<int>(towers.size()), 1);
}

const USBTowerDevice::Place* USBPort::listedPlace(int index) const
{
    if (towers.size() < 2 || index < 0 || index >= static_cast<int>(towers.size()))
        return nullptr;
    return &towers[static_cast<std::size_t>(index)];
}

std::string USBPort::portNameAtIndex(int index)
{
    const Place* place = listedPlace(index);
    return place ? std::string(towerName) + " (" + placeName(*place) + ")" : towerName;
}

std::string USBPort::portPathAtIndex(int index)
{
    const Place* place = listedPlace(index);
    return place ? placePath(*place) : towerName;
}

IOReturn USBPort::openPort(const std::string& path)
{
    closePort();
    const std::optional<Place> place = placeAtPath(path);
    for (int attempt = 1;; ++attempt) {
        const int result = openOnce(place);
        if (!held(result))
            return result;
        if (attempt == openAttempts)
            return kIOReturnExclusiveAccess;
        pause(retryPause);
    }
}

IOReturn USBPort::openOnce(const std::optional<Place>& place)
{
    int result = fDevice->open(vendorID, productID, place);
    if (result == LIBUSB_ERROR_NOT_FOUND)
        return noTowerAttached;
    deviceOpen = reported("libusb_open", result) == 0;
    if (result == 0)
        result = reported("libusb_get_config_descriptor", fDevice->readLayout(layout));
    if (result == 0)
        result = reported("libusb_detach_kernel_driver",
                          fDevice->detachKernelDriver(layout.interfaceNumber, driverDetached));
    if (result == 0)
        result = reported("libusb_set_configuration", fDevice->setConfiguration(layout.configuration));
    if (result == 0) {
        result = reported("libusb_claim_interface", fDevice->claimInterface(layout.interfaceNumber));
        interfaceClaimed = result == 0;
    }
    // Reset only once the tower is ours, never under another program; the
    // reset brings back the tower's own range.
    if (result == 0)
        result = reported("libusb_reset_device", fDevice->reset());
    if (result == 0)
        result = setRange(rangeCode(range));
    if (result != 0) {
        release();
        return result;
    }
    // Never ask for less than a packet: the tower's packets carry several
    // bytes, and a smaller request would lose the rest.
    readBuffer.assign(static_cast<std::size_t>(std::max(layout.inPacketSize, 1)), 0);
    readNext = readEnd = 0;
    gate.open();
    return kIOReturnSuccess;
}

void USBPort::release()
{
    if (interfaceClaimed)
        fDevice->releaseInterface(layout.interfaceNumber);
    if (driverDetached)
        fDevice->attachKernelDriver(layout.interfaceNumber);
    if (deviceOpen)
        fDevice->close();
    interfaceClaimed = driverDetached = deviceOpen = false;
}

void USBPort::closePort()
{
    // A waiting read sees the gate closing after its current transfer.
    if (gate.close([] {}))
        release();
}

bool USBPort::echoes()
{
    return false;
}

IOReturn USBPort::setLineSpeed(LineSpeed speed)
{
    GatePass pass(gate);
    if (!pass)
        return LIBUSB_ERROR_NO_DEVICE;
    const bool fast = speed == LineSpeed::fast;
    if (const IOReturn result = setRange(fast ? shortRange : rangeCode(range)))
        return result;
    for (const std::uint8_t request : {setTransmitSpeedRequest, setReceiveSpeedRequest}) {
        if (const IOReturn result = towerRequest(request, fast ? speed4800 : speed2400))
            return result;
    }
    return kIOReturnSuccess;
}

IOReturn USBPort::setRange(std::uint8_t code)
{
    return towerRequest(setParameterRequest, static_cast<std::uint16_t>(rangeParameter | code << 8));
}

IOReturn USBPort::towerRequest(std::uint8_t request, std::uint16_t value)
{
    const int result = fDevice->vendorRequest(request, value);
    if (result > 0)
        diagnostic("The tower refused request 0x%02X with value 0x%04X: error code %d\n", request, value, result);
    else if (result < 0)
        diagnostic("Tower request 0x%02X returned: %d\n", request, result);
    return result;
}

void USBPort::setTowerRange(TowerRange chosen)
{
    range = chosen;
}

bool USBPort::fastLineKeepsParity()
{
    return true;
}

IOReturn USBPort::write(const std::uint8_t* bytes, int length)
{
    GatePass pass(gate);
    if (!pass)
        return length > 0 ? LIBUSB_ERROR_NO_DEVICE : kIOReturnSuccess;
    std::uint8_t piece[largestWrite];
    for (int written = 0; written < length;) {
        const int size = std::min(length - written, largestWrite);
        std::copy_n(bytes + written, size, piece);
        int transferred;
        if (const int result = fDevice->transfer(layout.outEndpoint, piece, size, transferred, writeTimeout))
            return result;
        written += size;
    }
    return kIOReturnSuccess;
}

IOReturn USBPort::readByte(std::uint8_t* byte, ReadLimit limit)
{
    GatePass pass(gate);
    if (!pass)
        return LIBUSB_ERROR_NO_DEVICE;
    const auto start = std::chrono::steady_clock::now();
    while (readNext == readEnd) {
        if (gate.isClosing())
            return LIBUSB_ERROR_INTERRUPTED;
        if (limit != noTimeLimit && std::chrono::steady_clock::now() - start >= limit)
            return kIOReturnTimeout;
        int transferred = 0;
        const int result = fDevice->transfer(layout.inEndpoint, readBuffer.data(), static_cast<int>(readBuffer.size()),
                                             transferred, readSlice);
        if (transferred > 0) {
            readNext = 0;
            readEnd = static_cast<std::size_t>(transferred);
        } else if (result != 0 && result != LIBUSB_ERROR_TIMEOUT) {
            return result;
        }
    }
    *byte = readBuffer[readNext++];
    return kIOReturnSuccess;
}
