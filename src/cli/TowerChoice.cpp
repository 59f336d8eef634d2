#include "cli/TowerChoice.h"

#include "ports/USBPort.h"

#include <filesystem>
#include <fstream>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::optional<TowerEntry> chooseTower(AllPorts& ports, const std::string& name)
{
    if (strcasecmp(name.c_str(), AllPorts::usbType) == 0 || name == USBPort::towerName)
        return TowerEntry{AllPorts::usbType, USBPort::towerName, ""};
    const int count = ports.findPorts();
    for (int index = 0; index < count; ++index)
        if (ports.portNameAtIndex(index) == name || ports.portPathAtIndex(index) == name)
            return TowerEntry{ports.portTypeAtIndex(index), ports.portNameAtIndex(index), ports.portPathAtIndex(index)};
    if (name.starts_with('/') || name.starts_with('.'))
        return TowerEntry{AllPorts::serialType, name, name};
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
