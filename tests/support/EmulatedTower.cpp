#include "support/EmulatedTower.h"

#include <gtest/gtest.h>
#include <umockdev.h>

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint8_t inEndpoint = 0x81, outEndpoint = 0x02;
constexpr int configurations = 4, notHandled = 1;

// The tower's device descriptor: USB 1.1, vendor-specific, 8-byte control
// packets, 0694:0001 release 1.00, four configurations. Each configuration,
// alike but for its value (the X): 100 mA, interface 0 of vendor class with
// its two interrupt endpoints, 8-byte packets, 10 ms.
constexpr const char* towerDevice = "12011001000000089406010000010102" "0004";
constexpr const char* towerConfiguration = "09022000010X008032" "09040000" "02FFFF0000" "0705810308000A" "0705020308000A";
// A hub's: USB 2.0, one configuration with its status endpoint.
constexpr const char* hubDescriptors = "12010002090000406B1D0100000103020101" "09021900010100E000" "090400000109000000" "0705810304000C";

std::string towerDescriptors()
{
    std::string all = towerDevice;
    for (char value = '1'; value < '1' + configurations; ++value)
        all += std::string(towerConfiguration).replace(11, 1, 1, value);
    return all;
}

std::string threeDigits(int number) { return std::to_string(1000 + number).substr(1); }

// A device at `path` under bus 1's root as umockdev's testbed takes it: its
// properties, sysfs attributes and descriptors.
std::string deviceRecord(const std::string& path, int address, const char* speed, const std::string& descriptors)
{
    const std::string node = "bus/usb/001/" + threeDigits(address);
    std::string record = "P: /devices/usb1" + path + "\nN: " + node + "\n";
    const std::pair<const char*, std::string> properties[] = {{"SUBSYSTEM", "usb"}, {"DEVTYPE", "usb_device"},
        {"DRIVER", "usb"}, {"BUSNUM", "001"}, {"DEVNUM", threeDigits(address)}, {"DEVNAME", "/dev/" + node}};
    for (const auto& [key, value] : properties)
        record += std::string("E: ") + key + "=" + value + "\n";
    const std::pair<const char*, std::string> attributes[] = {
        {"busnum", "1"}, {"devnum", std::to_string(address)}, {"speed", speed}, {"bConfigurationValue", "1"}};
    for (const auto& [key, value] : attributes)
        record += std::string("A: ") + key + "=" + value + "\\n\n";
    return record + "H: descriptors=" + descriptors + "\n";
}

// "/1-3"; behind the hub "/1-1/1-1.4".
std::string pathOf(const std::string& place)
{
    const std::size_t dot = place.rfind('.');
    return (dot == std::string::npos ? "" : "/" + place.substr(0, dot)) + "/" + place;
}

// What a usbfs request's argument points at, `size` bytes at `offset`; null
// if the client's memory cannot be read. The argument keeps it until the
// request completes, and a transfer's until it is reaped.
UMockdevIoctlData* resolved(UMockdevIoctlData* argument, std::size_t size, std::size_t offset = 0)
{
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(argument, offset, size, nullptr);
    return data ? (g_object_unref(data), data) : nullptr;
}

template <typename T> T& pointee(UMockdevIoctlData* argument) { return *reinterpret_cast<T*>(resolved(argument, sizeof(T))->data); }

void complete(UMockdevIoctlClient* client, int result)
{
    umockdev_ioctl_client_complete(client, result < 0 ? -1 : result, result < 0 ? -result : 0);
}

// Answers on umockdev's worker loop a millisecond later.
void completeLater(UMockdevIoctlClient* client, int result)
{
    using Later = std::pair<UMockdevIoctlClient*, int>;
    const auto answer = [](gpointer data) -> gboolean {
        complete(static_cast<Later*>(data)->first, static_cast<Later*>(data)->second);
        return G_SOURCE_REMOVE;
    };
    // Also when the loop ends first.
    const auto release = [](gpointer data) {
        g_object_unref(static_cast<Later*>(data)->first);
        delete static_cast<Later*>(data);
    };
    GSource* source = g_timeout_source_new(1);
    g_source_set_callback(source, answer, new Later(static_cast<UMockdevIoctlClient*>(g_object_ref(client)), result), release);
    g_source_attach(source, g_main_context_get_thread_default());
    g_source_unref(source);
}

// The tower's UART keeps odd parity at every speed.
LineSettings lineAt(std::uint16_t speed) { return {TowerRequests::bitsPerSecond(speed), Parity::odd}; }

} // namespace

// The usbfs requests come on umockdev's worker thread, the brick's bytes on
// its own: all that follows is under the mutex but the brick's calls.
struct EmulatedTower::State {
    // A transfer the host submitted, its usbdevfs_urb and buffer resolved. It
    // ends not before `due` (never: max), a read once bytes were heard.
    struct Urb {
        UMockdevIoctlClient* client;
        UMockdevIoctlData* data;
        Clock::time_point due;
        usbdevfs_urb& fields() const { return *reinterpret_cast<usbdevfs_urb*>(data->data); }
    };
    struct Client {
        bool connected = true; // false once the tower was unplugged under it
        bool idle = false;     // its last reap found nothing
    };
    // Bytes on the infrared, across once `crossed`.
    struct Crossing { Clock::time_point crossed; Bytes bytes; LineSettings line; bool toBrick; };

    UMockdevTestbed* testbed;
    Brick& brick;
    const bool paced;
    const std::string sysfsPath, deviceNode, record;
    UMockdevIoctlBase* handler = umockdev_ioctl_base_new();

    std::mutex mutex{};
    std::map<UMockdevIoctlClient*, Client> clients{};
    UMockdevIoctlClient* claimedBy = nullptr;
    bool plugged = false, heldElsewhere = false, driverBound = true, silent = false;
    int configuration = 1;
    std::map<unsigned long, int> failing{};
    TowerRequests requests{};
    std::vector<Bytes> sent{};
    std::size_t sentBytes = 0, unplugBeyond = SIZE_MAX;
    std::deque<Crossing> infrared{};
    Clock::time_point infraredFree{};
    std::vector<Crossing> toBrick{}; // across, for the brick once the lock is let go
    Bytes heard{};                   // from the brick, not yet read
    std::deque<Urb> waiting{}, ended{}; // the ended to be reaped by their clients

    // The testbed is called with the lock let go: its calls may wait for the
    // worker thread, which may be waiting for the lock in a request.
    void plugIn()
    {
        {
            std::lock_guard lock(mutex);
            plugged = driverBound = true;
            configuration = 1;
            requests.settings = {};
            sent.clear();
            sentBytes = 0;
        }
        umockdev_testbed_add_from_string(testbed, record.c_str(), nullptr);
    }

    // A disconnect ends the transfers under way.
    void unplug()
    {
        {
            std::lock_guard lock(mutex);
            if (!std::exchange(plugged, false))
                return;
            for (auto& [client, state] : clients)
                state.connected = false;
            claimedBy = nullptr;
            unplugBeyond = SIZE_MAX;
            heard.clear();
            infrared.clear();
            toBrick.clear();
            for (const Urb& urb : waiting)
                end(urb, -ESHUTDOWN);
            waiting.clear();
        }
        umockdev_testbed_uevent(testbed, sysfsPath.c_str(), "remove");
        umockdev_testbed_remove_device(testbed, sysfsPath.c_str());
    }

    static gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, State* tower)
    {
        const unsigned long request = umockdev_ioctl_client_get_request(client);
        std::vector<Crossing> arrived;
        bool unplugNow, later = false;
        int result;
        {
            std::unique_lock lock(tower->mutex);
            const bool wasIdle = tower->clients[client].idle;
            result = tower->answer(client, request, umockdev_ioctl_client_get_arg(client));
            // A real usbfs file polls ready only once a transfer ended, this
            // one always, so libusb reaps again at once. A second empty reap
            // in a row waits for bytes crossing within the millisecond, else is
            // answered a millisecond later: a reader neither spins nor comes late.
            if (request == USBDEVFS_REAPURBNDELAY && result != 0 && wasIdle) {
                const auto next = tower->infrared.empty() ? Clock::time_point::max() : tower->infrared.front().crossed;
                if (!(later = next > Clock::now() + std::chrono::milliseconds(1))) {
                    lock.unlock();
                    std::this_thread::sleep_until(next);
                    lock.lock();
                    result = tower->answer(client, request, umockdev_ioctl_client_get_arg(client));
                }
            }
            tower->carry();
            arrived.swap(tower->toBrick);
            unplugNow = tower->sentBytes > tower->unplugBeyond;
        }
        if (result == notHandled)
            return FALSE;
        // The brick answers through hear(), which takes the lock again. It hears
        // the bytes when they crossed, though they reach it at the next request.
        for (const Crossing& crossing : arrived)
            tower->brick.receive(crossing.bytes, HostSettings{crossing.line.bitsPerSecond, crossing.line.parity}, crossing.crossed);
        if (unplugNow)
            tower->unplug();
        (later ? completeLater : complete)(client, result);
        return TRUE;
    }

    static void onConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, State* tower)
    {
        std::lock_guard lock(tower->mutex);
        tower->clients[client] = Client();
        g_signal_connect(client, "notify::connected", G_CALLBACK(onClosed), tower);
    }

    // A closed file lets go of its claim and its transfers, as the kernel's does.
    static void onClosed(UMockdevIoctlClient* client, void*, State* tower)
    {
        if (umockdev_ioctl_client_get_connected(client))
            return;
        std::lock_guard lock(tower->mutex);
        if (tower->claimedBy == client)
            tower->claimedBy = nullptr;
        for (std::deque<Urb>* urbs : {&tower->waiting, &tower->ended})
            std::erase_if(*urbs, [client](const Urb& urb) { return urb.client == client && (g_object_unref(urb.data), true); });
        tower->clients.erase(client);
    }

    // A usbfs request answered: 0, -errno or notHandled.
    int answer(UMockdevIoctlClient* client, unsigned long request, UMockdevIoctlData* argument)
    {
        if (request == USBDEVFS_REAPURBNDELAY)
            return reap(client, argument);
        if (request == USBDEVFS_DISCARDURB)
            return discard(client, argument);
        if (!clients[client].connected)
            return -ENODEV;
        if (failing[request])
            return -failing[request];
        const bool held = claimedBy || heldElsewhere;
        switch (request) {
        case USBDEVFS_GET_CAPABILITIES:
            pointee<std::uint32_t>(argument) = USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
            return 0;
        case USBDEVFS_GETDRIVER: {
            usbdevfs_getdriver& driver = pointee<usbdevfs_getdriver>(argument);
            const char* name = held ? "usbfs" : driverBound ? "legousbtower" : nullptr;
            if (driver.interface != 0 || !name)
                return driver.interface != 0 ? -EINVAL : -ENODATA;
            std::snprintf(driver.driver, sizeof driver.driver, "%s", name);
            return 0;
        }
        case USBDEVFS_IOCTL: { // the kernel driver's detach and attach
            const usbdevfs_ioctl command = pointee<usbdevfs_ioctl>(argument);
            if (command.ifno != 0 || (command.ioctl_code != int(USBDEVFS_DISCONNECT) && command.ioctl_code != int(USBDEVFS_CONNECT)))
                return -EINVAL;
            if (command.ioctl_code == int(USBDEVFS_DISCONNECT))
                return std::exchange(driverBound, false) ? 0 : -ENODATA;
            driverBound = driverBound || !held; // the kernel probes its drivers again
            return 0;
        }
        case USBDEVFS_SETCONFIGURATION: {
            const int value = pointee<int>(argument);
            // The kernel refuses while any driver holds an interface, usbfs too.
            if (driverBound || held || value < 1 || value > configurations)
                return driverBound || held ? -EBUSY : -EINVAL;
            configuration = value;
            umockdev_testbed_set_attribute(testbed, sysfsPath.c_str(), "bConfigurationValue", (std::to_string(value) + "\n").c_str());
            return 0;
        }
        case USBDEVFS_CLAIMINTERFACE:
            if (pointee<unsigned>(argument) != 0)
                return -EINVAL;
            if (heldElsewhere || driverBound || (claimedBy && claimedBy != client))
                return -EBUSY;
            return claimedBy = client, 0;
        case USBDEVFS_RELEASEINTERFACE:
            return claimedBy == client ? (claimedBy = nullptr, 0) : -EINVAL;
        case USBDEVFS_RESET: // the tower comes back with its settings anew
            return requests.settings = {}, heard.clear(), 0;
        case USBDEVFS_SUBMITURB:
            return submit(client, argument);
        default:
            return notHandled;
        }
    }

    int submit(UMockdevIoctlClient* client, UMockdevIoctlData* argument)
    {
        UMockdevIoctlData* data = resolved(argument, sizeof(usbdevfs_urb));
        if (!data)
            return -EFAULT;
        usbdevfs_urb& fields = *reinterpret_cast<usbdevfs_urb*>(data->data);
        const bool isControl = fields.type == USBDEVFS_URB_TYPE_CONTROL && fields.endpoint == 0;
        const bool isInterrupt = fields.type == USBDEVFS_URB_TYPE_INTERRUPT && (fields.endpoint == inEndpoint || fields.endpoint == outEndpoint);
        if (!isControl && !isInterrupt)
            return -EINVAL;
        if (fields.buffer_length > 0 && !resolved(data, std::size_t(fields.buffer_length), offsetof(usbdevfs_urb, buffer)))
            return -EFAULT;
        fields.actual_length = 0;
        Urb urb{client, static_cast<UMockdevIoctlData*>(g_object_ref(data)), silent ? Clock::time_point::max() : Clock::time_point::min()};
        if (isControl)
            return end(urb, control(fields)), 0;
        if (!silent && fields.endpoint == outEndpoint) {
            const auto* bytes = static_cast<const std::uint8_t*>(fields.buffer);
            sent.emplace_back(bytes, bytes + fields.buffer_length);
            sentBytes += sent.back().size();
            fields.actual_length = fields.buffer_length;
            // Without echo; the transfer ends once the bytes have crossed,
            // as the tower takes no more meanwhile.
            const LineSettings line = lineAt(requests.settings.transmitSpeed);
            urb.due = cross(sent.back(), line, true) - (paced ? 8 * line.byteTime() : std::chrono::nanoseconds(0));
        }
        waiting.push_back(urb);
        return 0;
    }

    // A vendor request and its reply, after the setup packet; any other
    // request stalls.
    int control(usbdevfs_urb& urb)
    {
        auto* setup = static_cast<std::uint8_t*>(urb.buffer);
        const std::uint8_t request = setup[1];
        if ((setup[0] & 0x60) != 0x40)
            return -EPIPE;
        const Bytes reply = requests.answer(request, static_cast<std::uint16_t>(setup[2] | setup[3] << 8));
        if (request == TowerRequests::flush || request == TowerRequests::reset)
            heard.clear();
        if (setup[0] & 0x80) {
            const int size = std::min({setup[6] | setup[7] << 8, static_cast<int>(reply.size()), urb.buffer_length - 8});
            std::copy_n(reply.begin(), size, setup + 8);
            urb.actual_length = size;
        }
        return 0;
    }

    int discard(UMockdevIoctlClient* client, UMockdevIoctlData* argument)
    {
        const auto address = reinterpret_cast<gulong>(*reinterpret_cast<void**>(argument->data));
        const auto found = std::ranges::find_if(waiting, [&](const Urb& urb) { return urb.client == client && urb.data->client_addr == address; });
        if (found == waiting.end())
            return -EINVAL;
        end(*found, -ENOENT);
        waiting.erase(found);
        return 0;
    }

    // 0 when a transfer was reaped into the argument, else -EAGAIN or -ENODEV.
    int reap(UMockdevIoctlClient* client, UMockdevIoctlData* argument)
    {
        const auto found = std::ranges::find_if(ended, [client](const Urb& urb) { return urb.client == client; });
        if ((clients[client].idle = found == ended.end()))
            return clients[client].connected ? -EAGAIN : -ENODEV;
        umockdev_ioctl_data_set_ptr(resolved(argument, sizeof(void*)), 0, found->data);
        g_object_unref(found->data);
        ended.erase(found);
        return 0;
    }

    void hear(const Bytes& bytes, const LineSettings& line)
    {
        std::lock_guard lock(mutex);
        if (!plugged)
            return;
        Bytes received = bytes;
        if (line != lineAt(requests.settings.receiveSpeed))
            std::transform(received.begin(), received.end(), received.begin(), garbled);
        cross(std::move(received), line, false);
        carry();
    }

    // When the bytes will have crossed: at once, or paced at the line's speed.
    Clock::time_point cross(Bytes bytes, const LineSettings& line, bool toBrick)
    {
        infraredFree = std::max(infraredFree, Clock::now()) + (paced ? line.byteTime() * long(bytes.size()) : std::chrono::nanoseconds(0));
        infrared.push_back({infraredFree, std::move(bytes), line, toBrick});
        return infraredFree;
    }

    // Moves on what has crossed and ends the transfers waiting for it.
    void carry()
    {
        const Clock::time_point now = Clock::now();
        for (; !infrared.empty() && infrared.front().crossed <= now; infrared.pop_front()) {
            Crossing& crossing = infrared.front();
            if (crossing.toBrick)
                toBrick.push_back(std::move(crossing));
            else
                heard.insert(heard.end(), crossing.bytes.begin(), crossing.bytes.end());
        }
        std::erase_if(waiting, [&](const Urb& urb) {
            usbdevfs_urb& fields = urb.fields();
            const bool reads = fields.endpoint == inEndpoint;
            if (urb.due > now || (reads && heard.empty()))
                return false;
            if (reads) {
                const int size = std::min(fields.buffer_length, static_cast<int>(heard.size()));
                std::copy_n(heard.begin(), size, static_cast<std::uint8_t*>(fields.buffer));
                heard.erase(heard.begin(), heard.begin() + size);
                fields.actual_length = size;
            }
            end(urb, 0);
            return true;
        });
    }

    void end(Urb urb, int status)
    {
        urb.fields().status = status;
        ended.push_back(urb);
    }
};

template <typename Action> auto EmulatedTower::locked(Action action)
{
    std::lock_guard lock(state->mutex);
    return action(*state);
}

EmulatedTower::EmulatedTower(UMockdevTestbed* testbed, const std::string& place, int address, bool paced)
    : state(new State{testbed, brick, paced, "/sys/devices/usb1" + pathOf(place), "/dev/bus/usb/001/" + threeDigits(address),
                      deviceRecord(pathOf(place), address, "1.5", towerDescriptors())})
{
    g_signal_connect(state->handler, "handle-ioctl", G_CALLBACK(State::onIoctl), state.get());
    g_signal_connect(state->handler, "client-connected", G_CALLBACK(State::onConnected), state.get());
    umockdev_testbed_attach_ioctl(testbed, state->deviceNode.c_str(), state->handler, nullptr);
    brick.setTransmitter([this](const ByteString& bytes, const LineSettings& line) { state->hear(bytes, line); });
}

EmulatedTower::~EmulatedTower()
{
    brick.setTransmitter(nullptr);
    umockdev_testbed_detach_ioctl(state->testbed, state->deviceNode.c_str(), nullptr);
    for (std::deque<State::Urb>* urbs : {&state->waiting, &state->ended})
        for (const State::Urb& urb : *urbs)
            g_object_unref(urb.data);
    g_object_unref(state->handler);
}

void EmulatedTower::plugIn() { state->plugIn(); }
void EmulatedTower::unplugAfter(std::size_t bytes) { locked([&](State& s) { s.unplugBeyond = bytes; }); }
void EmulatedTower::holdElsewhere(bool held) { locked([&](State& s) { s.heldElsewhere = held; }); }
void EmulatedTower::unbindDriver() { locked([](State& s) { s.driverBound = false; }); }
void EmulatedTower::stopAnswering(bool stop) { locked([&](State& s) { s.silent = stop; }); }
void EmulatedTower::failRequest(unsigned long request, int error) { locked([&](State& s) { s.failing[request] = error; }); }
void EmulatedTower::refuse(std::uint8_t request, std::uint8_t error) { locked([&](State& s) { s.requests.refused[request] = error; }); }
bool EmulatedTower::kernelDriverBound() { return locked([](State& s) { return s.driverBound; }); }
int EmulatedTower::configuration() { return locked([](State& s) { return s.configuration; }); }
TowerRequests::Settings EmulatedTower::settings() { return locked([](State& s) { return s.requests.settings; }); }
std::vector<Bytes> EmulatedTower::writes() { return locked([](State& s) { return s.sent; }); }

TowerTestbed::TowerTestbed()
    : testbed(umockdev_testbed_new())
{
    if (!umockdev_in_mock_environment())
        ADD_FAILURE() << "The emulated USB bus needs the suite to run under umockdev-wrapper";
    umockdev_testbed_add_from_string(testbed, deviceRecord("", 1, "12", hubDescriptors).c_str(), nullptr);
    umockdev_testbed_add_from_string(testbed, deviceRecord("/1-1", 2, "480", hubDescriptors).c_str(), nullptr);
}

TowerTestbed::~TowerTestbed()
{
    towers.clear();
    g_object_unref(testbed);
}

EmulatedTower& TowerTestbed::plug(const std::string& place, bool paced)
{
    towers.push_back(std::make_unique<EmulatedTower>(testbed, place, 3 + static_cast<int>(towers.size()), paced));
    towers.back()->plugIn();
    return *towers.back();
}
