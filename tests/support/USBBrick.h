#pragma once

#include "ports/AllPorts.h"
#include "rcx/RCXLink.h"
#include "support/EmulatedTower.h"
#include "support/Recording.h"

#include <memory>

// The link as the application builds it, with the USB port as its USB
// tower (and no serial lines), on the emulated bus.
class USBLink {
public:
    USBLink();

    // Chooses the USB tower at `path` and lets the receive thread read.
    IOReturn open(const std::string& path = "USB IR Tower");

    RecordingListener listener;
    RCXLink link;
    AllPorts& ports = link.port();
    RCXController& controller = link.controller();
};

// The emulated bus with one tower at bus 1, port 3, its virtual brick, and
// a link open on it.
class USBBrick {
public:
    explicit USBBrick(bool paced = false);

    TowerTestbed bus;
    EmulatedTower& tower;
    Brick& brick = tower.brick;
    USBLink usb;
    RCXController& controller = usb.controller;
};
