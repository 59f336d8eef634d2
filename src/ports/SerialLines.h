#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// A serial line as the port list shows it: a name for people, a path to open.
struct SerialLine {
    std::string name;
    std::string path;

    bool operator==(const SerialLine&) const = default;
};

// The machine's serial lines known to udev: tty devices that sit on a real
// device (a UART, a USB adapter), in udev's order. Empty when the search
// fails, after a diagnostic line.
std::vector<SerialLine> udevSerialLines();

// "ttyUSB0 (Prolific PL2303)": the device name with the adapter's vendor and
// model when udev knows them; either may be empty.
std::string serialLineName(const std::string& deviceName, const std::string& vendor, const std::string& model);

// Virtual towers announce themselves as symbolic links in this folder
// ($XDG_RUNTIME_DIR/infrabrick/towers): the link's name is the tower's name,
// the link itself the path to open. Empty when XDG_RUNTIME_DIR is not set.
std::optional<std::filesystem::path> announcedTowersFolder();

// The towers announced in `folder`, sorted by name; links whose target is
// gone (a virtual brick that ended without cleaning up) are left out.
std::vector<SerialLine> announcedTowers(const std::filesystem::path& folder);
