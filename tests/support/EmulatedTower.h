#pragma once

#include "sim/Brick.h"
#include "support/Bytes.h"
#include "support/TowerRequests.h"

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;
struct usbdevfs_urb;

// A LEGO USB IR Tower on the emulated bus, with the virtual brick in front
// of it, as the kernel's usbfs shows it to libusb: vendor 0x0694, product
// 0x0001, low speed, four configurations, interface 0 with an interrupt
// in-endpoint (0x81) and out-endpoint (0x02) of 8-byte packets, the vendor
// requests on endpoint 0, and the kernel's tower driver bound while no
// program holds it. What the host writes goes to the brick over the
// infrared without echo, heard at the tower's transmit speed; what the brick
// sends comes back through the in-endpoint, garbled unless it went at the
// tower's receive speed. Paced, the infrared carries one byte after the
// other, each in its time at the tower's speed, both ways; else at once.
//
// The usbfs requests come on umockdev's worker thread. Every file opened on
// the device node is a client with its claim and its transfers; unplugging
// ends the transfers of the clients opened so far and fails all they ask
// after, as a disconnect does, while the tower can be plugged in again.
class EmulatedTower {
public:
    // At `place` on bus 1: "1-3", or "1-1.4" behind the hub at port 1.
    EmulatedTower(UMockdevTestbed* testbed, const std::string& place, int address, bool paced);
    ~EmulatedTower();
    EmulatedTower(const EmulatedTower&) = delete;
    EmulatedTower& operator=(const EmulatedTower&) = delete;

    void plugIn();
    void unplug();
    // Unplugs the tower once the host has written more than `bytes` to it.
    void unplugAfter(std::size_t bytes) { locked([&] { unplugBeyond = bytes; }); }
    // Another program claims the interface (true) or lets it go.
    void holdElsewhere(bool held) { locked([&] { heldElsewhere = held; }); }
    // The kernel's driver lets go of the tower, until it is attached again.
    void unbindDriver() { locked([&] { driverBound = false; }); }
    // The transfers on the interrupt endpoints are taken and never end,
    // until the host gives them up (true), or the tower works again.
    void stopAnswering(bool stop) { locked([&] { silent = stop; }); }
    // The usbfs `request` fails with `error` (an errno); 0 lets it pass.
    void failRequest(unsigned long request, int error) { locked([&] { failing[request] = error; }); }
    // The vendor `request` is answered with `error` and changes nothing; 0
    // answers it again.
    void refuse(std::uint8_t request, std::uint8_t error) { locked([&] { requests.refused[request] = error; }); }

    bool kernelDriverBound() { return locked([&] { return driverBound; }); }
    int configuration() { return locked([&] { return activeConfiguration; }); }
    TowerRequests::Settings settings() { return locked([&] { return requests.settings; }); }
    // What the host wrote since the tower was plugged in, transfer by transfer.
    std::vector<Bytes> writes() { return locked([&] { return sent; }); }

    Brick brick;

private:
    using Clock = std::chrono::steady_clock;
    template <typename Action> std::invoke_result_t<Action> locked(Action action)
    {
        std::lock_guard lock(mutex);
        return action();
    }
    // A transfer the host submitted (its usbdevfs_urb and buffer, resolved),
    // and what it waits for.
    enum class Wait { read, write, ever };
    struct Urb {
        UMockdevIoctlClient* client;
        UMockdevIoctlData* data;
        Wait wait;
        Clock::time_point crossed; // a write's bytes
        usbdevfs_urb& fields() const;
    };
    // Bytes on the infrared, across once `crossed`.
    struct Crossing { Clock::time_point crossed; Bytes bytes; LineSettings line; bool toBrick; };
    struct Client {
        bool connected = true; // false once the tower was unplugged under it
        bool idle = false;     // its last reap found nothing
    };

    static int onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, EmulatedTower* tower);
    static void onConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, EmulatedTower* tower);
    static void onClosed(UMockdevIoctlClient* client, void*, EmulatedTower* tower);

    // Each answers a usbfs request with the lock held: 0, -errno or notHandled.
    int answer(UMockdevIoctlClient* client, unsigned long request, UMockdevIoctlData* argument);
    int submit(UMockdevIoctlClient* client, UMockdevIoctlData* argument);
    int control(usbdevfs_urb& urb);
    int discard(UMockdevIoctlClient* client, UMockdevIoctlData* argument);
    int reap(UMockdevIoctlClient* client, UMockdevIoctlData* argument);

    void hear(const Bytes& bytes, const LineSettings& line);
    // When the bytes will have crossed.
    Clock::time_point cross(Bytes bytes, const LineSettings& line, bool toBrick);
    // Moves on what has crossed and ends the transfers waiting for it.
    void carry();
    void end(Urb urb, int status);

    UMockdevTestbed* myTestbed;
    UMockdevIoctlBase* handler;
    const std::string sysfsPath;
    const std::string deviceNode;
    const std::string record;
    const bool paced;

    std::mutex mutex;
    std::map<UMockdevIoctlClient*, Client> clients;
    UMockdevIoctlClient* claimedBy = nullptr;
    bool plugged = false;
    bool heldElsewhere = false;
    bool driverBound = true;
    bool silent = false;
    int activeConfiguration = 1;
    std::map<unsigned long, int> failing;
    TowerRequests requests;
    std::vector<Bytes> sent;
    std::size_t sentBytes = 0;
    std::size_t unplugBeyond = SIZE_MAX;
    bool unplugDue = false;
    std::deque<Crossing> infrared;
    Clock::time_point infraredFree;
    std::vector<Crossing> toBrick; // across, for the brick once the lock is let go
    Bytes heard;                   // from the brick, not yet read
    std::deque<Urb> waiting;
    std::deque<Urb> ended;         // to be reaped by their clients
};

// The emulated USB bus for one test: umockdev's testbed (the suite runs
// under umockdev-wrapper) with the root hub of bus 1 and a hub at its port
// 1, and the towers plugged into them. It outlives every libusb user in the
// test.
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
