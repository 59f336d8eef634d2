#pragma once

#include "sim/Brick.h"
#include "support/Bytes.h"
#include "support/TowerRequests.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;
struct usbdevfs_urb;

// A LEGO USB IR Tower on the emulated bus, with the virtual brick in front of it, as the kernel's usbfs shows it
// to libusb: vendor 0x0694, product 0x0001, low speed, four configurations,
// interface 0 with an interrupt in-endpoint (0x81) and out-endpoint (0x02)
// of 8-byte packets, the vendor requests on endpoint 0, and the kernel's
// tower driver bound while no program holds it. What the host writes goes
// to the brick over the infrared without echo; what the brick sends comes
// back through the in-endpoint.
//
// The usbfs requests come on umockdev's worker thread. Every file opened on
// the device node is a client with its claim and its transfers; unplugging
// ends the transfers of the clients opened so far and fails all they ask
// after, as a disconnect does, while the tower can be plugged in again and
// opened anew.
class EmulatedTower {
public:
    // At `port` of bus 1.
    EmulatedTower(UMockdevTestbed* testbed, int port);
    ~EmulatedTower();
    EmulatedTower(const EmulatedTower&) = delete;
    EmulatedTower& operator=(const EmulatedTower&) = delete;

    void plugIn();
    void unplug();
    // Unplugs the tower once `written` holds for what the host has written
    // to it so far (for a fault in the middle of a transfer).
    void unplugWhen(std::function<bool(const Bytes& written)> written);

    // Another program claims the interface (true) or lets it go.
    void holdElsewhere(bool held);
    // The transfers on the interrupt endpoints are taken and never end,
    // until the host gives them up (true), or the tower works again.
    void stopAnswering(bool silent);

    bool kernelDriverBound();
    int configuration();
    TowerRequests::Settings settings();
    // What the host wrote since the tower was plugged in.
    Bytes written();

    Brick brick;

private:
    struct Client {
        bool connected = true; // false once the tower was unplugged under it
    };
    // A transfer the host submitted: its usbdevfs_urb and buffer, resolved.
    struct Urb {
        UMockdevIoctlClient* client;
        UMockdevIoctlData* data;
        usbdevfs_urb& fields() const;
    };

    static int onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, EmulatedTower* tower);
    static void onConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, EmulatedTower* tower);
    static void onClosed(UMockdevIoctlClient* client, void*, EmulatedTower* tower);

    // Each answers one usbfs request, with the lock held, and returns the
    // ioctl's result: 0 or -errno.
    int answer(UMockdevIoctlClient* client, unsigned long request, UMockdevIoctlData* argument);
    int getDriver(UMockdevIoctlData* argument);
    int driverIoctl(UMockdevIoctlData* argument);
    int setConfiguration(UMockdevIoctlData* argument);
    int claim(UMockdevIoctlClient* client, bool detachingDriver);
    int release(UMockdevIoctlClient* client);
    int submit(UMockdevIoctlClient* client, UMockdevIoctlData* argument);
    int control(usbdevfs_urb& urb);
    int discard(UMockdevIoctlClient* client, UMockdevIoctlData* argument);
    // 0 when a transfer was reaped into the argument, else -EAGAIN or -ENODEV.
    int reap(UMockdevIoctlClient* client, UMockdevIoctlData* argument);
    void completeLater(UMockdevIoctlClient* client, int result);

    // What the brick sends; fills the waiting in-transfers.
    void hear(const Bytes& bytes);
    void fillReads();
    void end(Urb urb, int status);
    void endAll(std::deque<Urb>& urbs, int status);
    bool claimedElsewhere(UMockdevIoctlClient* client) const;
    std::string description() const;

    UMockdevTestbed* myTestbed;
    UMockdevIoctlBase* handler;
    const int port;
    const std::string sysfsPath;
    const std::string deviceNode;

    std::mutex mutex;
    std::map<UMockdevIoctlClient*, Client> clients;
    UMockdevIoctlClient* claimedBy = nullptr;
    bool plugged = false;
    bool heldElsewhere = false;
    bool silent = false;
    bool driverBound = true;
    int activeConfiguration = 1;
    TowerRequests requests;
    Bytes heard;       // from the brick, not yet read
    Bytes sent;        // from the host
    Bytes pendingSend; // written by the host, for the brick once the lock is let go
    std::function<bool(const Bytes&)> unplugCondition;
    std::deque<Urb> reads;   // in-transfers waiting for the brick
    std::deque<Urb> hanging; // transfers that will not end by themselves
    std::deque<Urb> ended;   // to be reaped by their clients
};

// The emulated USB bus for one test: umockdev's testbed (the suite runs
// under umockdev-wrapper) with the root hub of bus 1, and the towers
// plugged into it. It outlives every libusb user in the test.
class TowerTestbed {
public:
    TowerTestbed();
    ~TowerTestbed();
    TowerTestbed(const TowerTestbed&) = delete;
    TowerTestbed& operator=(const TowerTestbed&) = delete;

    // Plugs a new tower into `port` of bus 1.
    EmulatedTower& plug(int port);

private:
    UMockdevTestbed* testbed;
    std::vector<std::unique_ptr<EmulatedTower>> towers;
};
