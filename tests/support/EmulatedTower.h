#pragma once

#include "sim/Brick.h"
#include "support/Bytes.h"
#include "support/TowerRequests.h"

#include <memory>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;

// A LEGO USB IR Tower on the emulated bus as usbfs shows it to libusb
// (0694:0001, low speed, four configurations, interrupt endpoints 0x81 and
// 0x02, vendor requests on endpoint 0, the kernel's driver bound while no
// program holds it), with the virtual brick in front. The brick hears the
// host's writes at the transmit speed, without echo; its replies come back
// garbled unless sent at the receive speed. Paced, the infrared carries each
// byte in its time at the tower's speed. Each file opened on the device node
// is a client with its claim and transfers; an unplug fails those open.
class EmulatedTower {
public:
    // At `place` on bus 1: "1-3", or "1-1.4" behind the hub at port 1.
    EmulatedTower(UMockdevTestbed* testbed, const std::string& place, int address, bool paced);
    ~EmulatedTower();

    void plugIn();
    // Unplugs the tower once the host has written more than `bytes` to it.
    void unplugAfter(std::size_t bytes);
    // Another program claims the interface (true) or lets it go.
    void holdElsewhere(bool held);
    // The kernel's driver lets go of the tower, until it is attached again.
    void unbindDriver();
    // Interrupt transfers are taken and never end (true), until given up.
    void stopAnswering(bool stop);
    // The usbfs `request` fails with `error` (an errno); 0 lets it pass.
    void failRequest(unsigned long request, int error);
    // The vendor `request` is answered with `error`; 0 answers it again.
    void refuse(std::uint8_t request, std::uint8_t error);

    bool kernelDriverBound();
    int configuration();
    TowerRequests::Settings settings();
    // What the host wrote since the tower was plugged in, transfer by transfer.
    std::vector<Bytes> writes();

    Brick brick;
    struct State;

private:
    template <typename Action> auto locked(Action action);

    std::unique_ptr<State> state;
};

// The emulated USB bus for one test (the suite runs under umockdev-wrapper):
// the root hub of bus 1, a hub at its port 1, and the towers plugged in.
// It outlives every libusb user in the test.
class TowerTestbed {
public:
    TowerTestbed();
    ~TowerTestbed();
    TowerTestbed(const TowerTestbed&) = delete;
    TowerTestbed& operator=(const TowerTestbed&) = delete;

    // Plugs a new tower in at `place` ("1-3", "1-1.4").
    EmulatedTower& plug(const std::string& place, bool paced = false);

private:
    UMockdevTestbed* testbed;
    std::vector<std::unique_ptr<EmulatedTower>> towers;
};
