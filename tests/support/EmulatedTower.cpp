#include "support/EmulatedTower.h"

#include <gtest/gtest.h>
#include <umockdev.h>

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>

namespace {

// The infrared line as the tower keeps it at `speed`: always odd parity.
HostSettings lineAt(std::uint16_t speed)
{
    return {speed == TowerRequests::baud4800 ? 4800 : speed == TowerRequests::baud1200 ? 1200 : 2400, Parity::odd};
}

constexpr std::uint8_t inEndpoint = 0x81;
constexpr std::uint8_t outEndpoint = 0x02;
constexpr int configurations = 4;
constexpr const char* kernelDriver = "legousbtower";
constexpr int notHandled = 1;

// Device descriptor: USB 1.1, vendor-specific, 8-byte control packets,
// 0694:0001 release 1.00, four configurations.
constexpr const char* deviceDescriptor = "12011001000000089406010000010102" "0004";

// Configuration `value` (all four alike but for it): 100 mA, interface 0
// of vendor class with its two interrupt endpoints, 8-byte packets, 10 ms.
std::string configurationDescriptor(int value)
{
    char number[3];
    std::snprintf(number, sizeof number, "%02X", value);
    return std::string("0902200001") + number + "008032" "09040000" "02FFFF0000" "0705810308000A" "0705020308000A";
}

std::string descriptors()
{
    std::string all = deviceDescriptor;
    for (int value = 1; value <= configurations; ++value)
        all += configurationDescriptor(value);
    return all;
}

std::string threeDigits(int number)
{
    char digits[4];
    std::snprintf(digits, sizeof digits, "%03d", number);
    return digits;
}

// The root hub of bus 1, full speed, one configuration with its status endpoint.
constexpr const char* rootHub = "P: /devices/usb1\n"
                                "N: bus/usb/001/001\n"
                                "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\n"
                                "E: BUSNUM=001\nE: DEVNUM=001\nE: DEVNAME=/dev/bus/usb/001/001\n"
                                "A: busnum=1\\n\nA: devnum=1\\n\nA: speed=12\\n\nA: bConfigurationValue=1\\n\n"
                                "H: descriptors=12010002090000406B1D0100000103020101" "09021900010100E000"
                                "090400000109000000" "0705810304000C\n";

// What one usbfs request resolves of its argument: `size` bytes at `offset`.
struct Resolved {
    Resolved(UMockdevIoctlData* parent, std::size_t offset, std::size_t size)
        : data(umockdev_ioctl_data_resolve(parent, offset, size, nullptr))
    {
    }
    ~Resolved()
    {
        if (data)
            g_object_unref(data);
    }
    Resolved(const Resolved&) = delete;
    Resolved& operator=(const Resolved&) = delete;
    template <typename T> T& as() { return *reinterpret_cast<T*>(data->data); }

    UMockdevIoctlData* data;
};

void complete(UMockdevIoctlClient* client, int result)
{
    umockdev_ioctl_client_complete(client, result < 0 ? -1 : result, result < 0 ? -result : 0);
}

} // namespace

usbdevfs_urb& EmulatedTower::Urb::fields() const { return *reinterpret_cast<usbdevfs_urb*>(data->data); }

EmulatedTower::EmulatedTower(UMockdevTestbed* testbed, int port)
    : myTestbed(testbed)
    , handler(umockdev_ioctl_base_new())
    , port(port)
    , sysfsPath("/sys/devices/usb1/1-" + std::to_string(port))
    , deviceNode("/dev/bus/usb/001/" + threeDigits(port + 1))
{
    g_signal_connect(handler, "handle-ioctl", G_CALLBACK(onIoctl), this);
    g_signal_connect(handler, "client-connected", G_CALLBACK(onConnected), this);
    umockdev_testbed_attach_ioctl(myTestbed, deviceNode.c_str(), handler, nullptr);
    brick.setTransmitter([this](const ByteString& bytes, const LineSettings& line) {
        Bytes sent(bytes.begin(), bytes.end());
        if (!lineAt(settings().receiveSpeed).agreeWith(line))
            std::transform(sent.begin(), sent.end(), sent.begin(), garbled);
        hear(sent);
    });
}

EmulatedTower::~EmulatedTower()
{
    brick.setTransmitter(nullptr);
    umockdev_testbed_detach_ioctl(myTestbed, deviceNode.c_str(), nullptr);
    for (std::deque<Urb>* urbs : {&reads, &hanging, &ended})
        for (const Urb& urb : *urbs)
            g_object_unref(urb.data);
    g_object_unref(handler);
}

std::string EmulatedTower::description() const
{
    const std::string address = threeDigits(port + 1);
    return "P: /devices/usb1/1-" + std::to_string(port) + "\n"
           "N: bus/usb/001/" + address + "\n"
           "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\n"
           "E: BUSNUM=001\nE: DEVNUM=" + address + "\nE: DEVNAME=" + deviceNode + "\n"
           "A: busnum=1\\n\nA: devnum=" + std::to_string(port + 1) + "\\n\nA: speed=1.5\\n\n"
           "A: bConfigurationValue=1\\n\nA: idVendor=0694\\n\nA: idProduct=0001\\n\n"
           "H: descriptors=" + descriptors() + "\n";
}

void EmulatedTower::plugIn()
{
    {
        std::lock_guard lock(mutex);
        plugged = true;
        driverBound = true;
        activeConfiguration = 1;
        requests.settings = {};
        sent.clear();
    }
    umockdev_testbed_add_from_string(myTestbed, description().c_str(), nullptr);
}

void EmulatedTower::unplug()
{
    {
        std::lock_guard lock(mutex);
        if (!plugged)
            return;
        plugged = false;
        for (auto& [client, state] : clients)
            state.connected = false;
        claimedBy = nullptr;
        heard.clear();
        // A disconnect ends the transfers under way.
        endAll(reads, -ESHUTDOWN);
        endAll(hanging, -ESHUTDOWN);
    }
    umockdev_testbed_uevent(myTestbed, sysfsPath.c_str(), "remove");
    umockdev_testbed_remove_device(myTestbed, sysfsPath.c_str());
}

void EmulatedTower::unplugWhen(std::function<bool(const Bytes&)> written)
{
    std::lock_guard lock(mutex);
    unplugCondition = std::move(written);
}

void EmulatedTower::holdElsewhere(bool held)
{
    std::lock_guard lock(mutex);
    heldElsewhere = held;
}

void EmulatedTower::stopAnswering(bool stop)
{
    std::lock_guard lock(mutex);
    silent = stop;
}

bool EmulatedTower::kernelDriverBound()
{
    std::lock_guard lock(mutex);
    return driverBound;
}

int EmulatedTower::configuration()
{
    std::lock_guard lock(mutex);
    return activeConfiguration;
}

TowerRequests::Settings EmulatedTower::settings()
{
    std::lock_guard lock(mutex);
    return requests.settings;
}

Bytes EmulatedTower::written()
{
    std::lock_guard lock(mutex);
    return sent;
}

// ---- the usbfs requests ------------------------------------------------------

int EmulatedTower::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, EmulatedTower* tower)
{
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    Bytes toBrick;
    bool unplugNow = false;
    int result;
    HostSettings line;
    {
        std::lock_guard lock(tower->mutex);
        result = tower->answer(client, request, umockdev_ioctl_client_get_arg(client));
        line = lineAt(tower->requests.settings.transmitSpeed);
        toBrick.swap(tower->pendingSend);
        unplugNow = !toBrick.empty() && tower->unplugCondition && tower->unplugCondition(tower->sent);
        if (unplugNow)
            tower->unplugCondition = nullptr;
    }
    if (result == notHandled)
        return FALSE;
    // The brick answers through hear(), which takes the lock again.
    if (!toBrick.empty())
        tower->brick.receive(toBrick, line);
    if (unplugNow)
        tower->unplug();
    if (request == USBDEVFS_REAPURBNDELAY && result != 0)
        tower->completeLater(client, result);
    else
        complete(client, result);
    return TRUE;
}

void EmulatedTower::onConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, EmulatedTower* tower)
{
    {
        std::lock_guard lock(tower->mutex);
        tower->clients[client] = Client();
    }
    g_signal_connect(client, "notify::connected", G_CALLBACK(onClosed), tower);
}

// A closed file lets go of its claim and its transfers, as the kernel's does.
void EmulatedTower::onClosed(UMockdevIoctlClient* client, void*, EmulatedTower* tower)
{
    if (umockdev_ioctl_client_get_connected(client))
        return;
    std::lock_guard lock(tower->mutex);
    if (tower->claimedBy == client)
        tower->claimedBy = nullptr;
    for (std::deque<Urb>* urbs : {&tower->reads, &tower->hanging, &tower->ended}) {
        std::erase_if(*urbs, [client](const Urb& urb) {
            return urb.client == client && (g_object_unref(urb.data), true);
        });
    }
    tower->clients.erase(client);
}

int EmulatedTower::answer(UMockdevIoctlClient* client, unsigned long request, UMockdevIoctlData* argument)
{
    if (request == USBDEVFS_REAPURBNDELAY)
        return reap(client, argument);
    if (request == USBDEVFS_DISCARDURB)
        return discard(client, argument);
    if (!clients[client].connected)
        return -ENODEV;
    switch (request) {
    case USBDEVFS_GET_CAPABILITIES:
        Resolved(argument, 0, sizeof(std::uint32_t)).as<std::uint32_t>() =
            USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
        return 0;
    case USBDEVFS_GETDRIVER:
        return getDriver(argument);
    case USBDEVFS_IOCTL:
        return driverIoctl(argument);
    case USBDEVFS_SETCONFIGURATION:
        return setConfiguration(argument);
    case USBDEVFS_CLAIMINTERFACE:
        return Resolved(argument, 0, sizeof(unsigned)).as<unsigned>() == 0 ? claim(client, false) : -EINVAL;
    case USBDEVFS_DISCONNECT_CLAIM:
        return Resolved(argument, 0, sizeof(usbdevfs_disconnect_claim)).as<usbdevfs_disconnect_claim>().interface == 0
                   ? claim(client, true)
                   : -EINVAL;
    case USBDEVFS_RELEASEINTERFACE:
        return release(client);
    case USBDEVFS_RESET:
        // The tower comes back from a bus reset with its settings anew.
        requests.settings = {};
        heard.clear();
        return 0;
    case USBDEVFS_CLEAR_HALT:
    case USBDEVFS_RESETEP:
        return 0;
    case USBDEVFS_SUBMITURB:
        return submit(client, argument);
    default:
        return notHandled;
    }
}

bool EmulatedTower::claimedElsewhere(UMockdevIoctlClient* client) const
{
    return heldElsewhere || (claimedBy && claimedBy != client);
}

int EmulatedTower::getDriver(UMockdevIoctlData* argument)
{
    Resolved resolved(argument, 0, sizeof(usbdevfs_getdriver));
    usbdevfs_getdriver& driver = resolved.as<usbdevfs_getdriver>();
    if (driver.interface != 0)
        return -EINVAL;
    const char* name = claimedBy || heldElsewhere ? "usbfs" : driverBound ? kernelDriver : nullptr;
    if (!name)
        return -ENODATA;
    std::snprintf(driver.driver, sizeof driver.driver, "%s", name);
    return 0;
}

int EmulatedTower::driverIoctl(UMockdevIoctlData* argument)
{
    Resolved resolved(argument, 0, sizeof(usbdevfs_ioctl));
    const usbdevfs_ioctl& command = resolved.as<usbdevfs_ioctl>();
    if (command.ifno != 0)
        return -EINVAL;
    if (command.ioctl_code == static_cast<int>(USBDEVFS_DISCONNECT)) {
        if (!driverBound)
            return -ENODATA;
        driverBound = false;
        return 0;
    }
    if (command.ioctl_code == static_cast<int>(USBDEVFS_CONNECT)) {
        driverBound = driverBound || !(claimedBy || heldElsewhere);
        return 0;
    }
    return -ENOTTY;
}

int EmulatedTower::setConfiguration(UMockdevIoctlData* argument)
{
    const int value = Resolved(argument, 0, sizeof(int)).as<int>();
    // The kernel refuses while any driver holds an interface, usbfs too.
    if (driverBound || claimedBy || heldElsewhere)
        return -EBUSY;
    if (value < 1 || value > configurations)
        return -EINVAL;
    activeConfiguration = value;
    umockdev_testbed_set_attribute(myTestbed, sysfsPath.c_str(), "bConfigurationValue",
                                   (std::to_string(value) + "\n").c_str());
    return 0;
}

int EmulatedTower::claim(UMockdevIoctlClient* client, bool detachingDriver)
{
    if (claimedElsewhere(client) || (driverBound && !detachingDriver))
        return -EBUSY;
    driverBound = false;
    claimedBy = client;
    return 0;
}

int EmulatedTower::release(UMockdevIoctlClient* client)
{
    if (claimedBy != client)
        return -EINVAL;
    claimedBy = nullptr;
    return 0;
}

// ---- transfers -------------------------------------------------------------

int EmulatedTower::submit(UMockdevIoctlClient* client, UMockdevIoctlData* argument)
{
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(argument, 0, sizeof(usbdevfs_urb), nullptr);
    if (!data)
        return -EFAULT;
    const Urb urb{client, data};
    usbdevfs_urb& fields = urb.fields();
    if (fields.buffer_length > 0 && !Resolved(data, offsetof(usbdevfs_urb, buffer), std::size_t(fields.buffer_length)).data) {
        g_object_unref(data);
        return -EFAULT;
    }
    fields.actual_length = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(fields.buffer);
    if (fields.type == USBDEVFS_URB_TYPE_CONTROL && fields.endpoint == 0) {
        end(urb, control(fields));
    } else if (fields.type != USBDEVFS_URB_TYPE_INTERRUPT || (fields.endpoint != inEndpoint && fields.endpoint != outEndpoint)) {
        g_object_unref(data);
        return -EINVAL;
    } else if (silent) {
        hanging.push_back(urb);
    } else if (fields.endpoint == outEndpoint) {
        // Over the infrared at once, and no echo of it.
        sent.insert(sent.end(), bytes, bytes + fields.buffer_length);
        pendingSend.insert(pendingSend.end(), bytes, bytes + fields.buffer_length);
        fields.actual_length = fields.buffer_length;
        end(urb, 0);
    } else {
        reads.push_back(urb);
        fillReads();
    }
    return 0;
}

// A vendor request and its reply, after the setup packet; any other
// request stalls.
int EmulatedTower::control(usbdevfs_urb& urb)
{
    auto* setup = static_cast<std::uint8_t*>(urb.buffer);
    const std::uint8_t requestType = setup[0];
    const std::uint8_t request = setup[1];
    const std::uint16_t value = static_cast<std::uint16_t>(setup[2] | setup[3] << 8);
    const int length = setup[6] | setup[7] << 8;
    if ((requestType & 0x60) != 0x40)
        return -EPIPE;
    const Bytes reply = requests.answer(request, value);
    if (request == TowerRequests::flush || request == TowerRequests::reset)
        heard.clear();
    if (requestType & 0x80) {
        const int size = std::min({length, static_cast<int>(reply.size()), urb.buffer_length - 8});
        std::copy_n(reply.begin(), size, setup + 8);
        urb.actual_length = size;
    }
    return 0;
}

int EmulatedTower::discard(UMockdevIoctlClient* client, UMockdevIoctlData* argument)
{
    const auto address = reinterpret_cast<gulong>(*reinterpret_cast<void**>(argument->data));
    for (std::deque<Urb>* urbs : {&reads, &hanging}) {
        const auto found = std::find_if(urbs->begin(), urbs->end(), [&](const Urb& urb) {
            return urb.client == client && urb.data->client_addr == address;
        });
        if (found != urbs->end()) {
            const Urb urb = *found;
            urbs->erase(found);
            end(urb, -ENOENT);
            return 0;
        }
    }
    return -EINVAL;
}

int EmulatedTower::reap(UMockdevIoctlClient* client, UMockdevIoctlData* argument)
{
    const auto found = std::find_if(ended.begin(), ended.end(), [client](const Urb& urb) { return urb.client == client; });
    if (found == ended.end())
        return clients[client].connected ? -EAGAIN : -ENODEV;
    umockdev_ioctl_data_set_ptr(Resolved(argument, 0, sizeof(void*)).data, 0, found->data);
    g_object_unref(found->data);
    ended.erase(found);
    return 0;
}

// The usbfs file of a real device polls ready only when a transfer has
// ended; the emulated one always does, so libusb asks again at once. An
// answer that there is nothing to reap waits a millisecond, on umockdev's
// worker loop, so that a waiting reader does not spin.
void EmulatedTower::completeLater(UMockdevIoctlClient* client, int result)
{
    struct Later {
        UMockdevIoctlClient* client;
        int result;
    };
    GSource* source = g_timeout_source_new(1);
    g_source_set_callback(
        source,
        [](gpointer data) -> gboolean {
            const auto* later = static_cast<Later*>(data);
            complete(later->client, later->result);
            return G_SOURCE_REMOVE;
        },
        new Later{static_cast<UMockdevIoctlClient*>(g_object_ref(client)), result},
        [](gpointer data) {
            const auto* later = static_cast<Later*>(data);
            g_object_unref(later->client);
            delete later;
        });
    g_source_attach(source, g_main_context_get_thread_default());
    g_source_unref(source);
}

void EmulatedTower::hear(const Bytes& bytes)
{
    std::lock_guard lock(mutex);
    if (!plugged)
        return;
    heard.insert(heard.end(), bytes.begin(), bytes.end());
    fillReads();
}

void EmulatedTower::fillReads()
{
    while (!reads.empty() && !heard.empty()) {
        const Urb urb = reads.front();
        reads.pop_front();
        usbdevfs_urb& fields = urb.fields();
        const int size = std::min(fields.buffer_length, static_cast<int>(heard.size()));
        std::copy_n(heard.begin(), size, static_cast<std::uint8_t*>(fields.buffer));
        heard.erase(heard.begin(), heard.begin() + size);
        fields.actual_length = size;
        end(urb, 0);
    }
}

void EmulatedTower::end(Urb urb, int status)
{
    urb.fields().status = status;
    ended.push_back(urb);
}

void EmulatedTower::endAll(std::deque<Urb>& urbs, int status)
{
    for (const Urb& urb : urbs)
        end(urb, status);
    urbs.clear();
}

// ---- the bus ---------------------------------------------------------------

TowerTestbed::TowerTestbed()
    : testbed(umockdev_testbed_new())
{
    if (!umockdev_in_mock_environment())
        ADD_FAILURE() << "The emulated USB bus needs the suite to run under umockdev-wrapper";
    umockdev_testbed_add_from_string(testbed, rootHub, nullptr);
}

TowerTestbed::~TowerTestbed()
{
    towers.clear();
    g_object_unref(testbed);
}

EmulatedTower& TowerTestbed::plug(int port)
{
    towers.push_back(std::make_unique<EmulatedTower>(testbed, port));
    towers.back()->plugIn();
    return *towers.back();
}
