#pragma once

#include "ports/AllPorts.h"

#include <optional>
#include <string>

// An entry of the port list: what setPort takes.
struct TowerEntry {
    std::string type;
    std::string name;
    std::string path;
};

// The tower that --port names: "usb" (any case) or the USB tower's name for
// the first USB tower, the name or path of a listed port (an announced
// virtual brick by its name, a USB tower by its place on the bus, "1-3"),
// a place where no tower is listed yet, or any other path of a serial line.
// None when the name is none of these.
std::optional<TowerEntry> chooseTower(AllPorts& ports, const std::string& name);

// A program that holds a tower open.
struct TowerHolder {
    std::string program;
    std::string process;
};

// Another program that holds the serial line at `path` open, if one does.
// The virtual brick's own end of a pseudo-terminal does not count: it holds
// the terminal's master as well.
std::optional<TowerHolder> towerHolder(const std::string& path);

// Another program that holds the USB tower at `place` ("1-3"), or any USB
// tower when `place` names none, through its device node.
std::optional<TowerHolder> usbTowerHolder(const std::string& place);
