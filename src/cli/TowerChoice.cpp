#include "cli/TowerChoice.h"

#include "ports/USBPort.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Whether the name is a place on the USB bus: "1-3", "1-3.2".
bool namesPlace(const std::string& name)
{
    static const std::regex place(R"(\d+-\d+(\.\d+)*)");
    return std::regex_match(name, place);
}

} // namespace

std::optional<TowerEntry> chooseTower(AllPorts& ports, const std::string& name)
{
    // "usb" is the first USB tower the list shows, whichever the bus finds first.
    const bool firstUSB = strcasecmp(name.c_str(), AllPorts::usbType) == 0 || name == USBPort::towerName;
    const int count = ports.findPorts();
    for (int index = 0; index < count; ++index)
        if (firstUSB ? ports.portTypeAtIndex(index) == AllPorts::usbType
                     : ports.portNameAtIndex(index) == name || ports.portPathAtIndex(index) == name)
            return TowerEntry{ports.portTypeAtIndex(index), ports.portNameAtIndex(index), ports.portPathAtIndex(index)};
    if (name.starts_with('/') || name.starts_with('.'))
        return TowerEntry{AllPorts::serialType, name, name};
    // A lone tower is listed by its name alone, not by its place.
    if (namesPlace(name))
        return TowerEntry{AllPorts::usbType, name, name};
    return std::nullopt;
}

namespace {

// Whether the two name one file; std::filesystem::equivalent refuses
// device files.
bool sameFile(const fs::path& one, const fs::path& other)
{
    struct stat first, second;
    return ::stat(one.c_str(), &first) == 0 && ::stat(other.c_str(), &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

// Whether one of the process's open files (those that can be read) is `target`.
bool holds(const fs::path& process, const fs::path& target)
{
    std::error_code error;
    for (const fs::directory_entry& file : fs::directory_iterator(process / "fd", error))
        if (sameFile(file.path(), target))
            return true;
    return false;
}

} // namespace

std::optional<TowerHolder> towerHolder(const std::string& path)
{
    std::error_code error;
    const fs::path device = fs::canonical(path, error);
    if (error)
        return std::nullopt;
    const std::string self = std::to_string(::getpid());
    for (const fs::directory_entry& process : fs::directory_iterator("/proc", error)) {
        const std::string pid = process.path().filename();
        if (pid == self || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (!holds(process.path(), device) || holds(process.path(), "/dev/ptmx"))
            continue;
        std::string name;
        std::getline(std::ifstream(process.path() / "comm"), name);
        return TowerHolder{name, pid};
    }
    return std::nullopt;
}

std::optional<TowerHolder> usbTowerHolder(const std::string& place)
{
    // The kernel's attributes of a device: its identifiers in hexadecimal,
    // its bus and address in decimal.
    const auto attribute = [](const fs::path& device, const char* name, int base) {
        std::string value;
        std::ifstream(device / name) >> value;
        return std::strtol(value.c_str(), nullptr, base);
    };
    std::error_code error;
    for (const fs::directory_entry& device : fs::directory_iterator("/sys/bus/usb/devices", error)) {
        if (attribute(device, "idVendor", 16) != USBPort::vendorID || attribute(device, "idProduct", 16) != USBPort::productID
            || (namesPlace(place) && device.path().filename() != place))
            continue;
        char node[32];
        std::snprintf(node, sizeof node, "/dev/bus/usb/%03ld/%03ld", attribute(device, "busnum", 10),
                      attribute(device, "devnum", 10));
        if (std::optional<TowerHolder> holder = towerHolder(node))
            return holder;
    }
    return std::nullopt;
}
