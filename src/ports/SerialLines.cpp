#include "ports/SerialLines.h"

#include "ports/Diagnostic.h"

#include <libudev.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <system_error>

namespace {

struct UdevDeleter {
    void operator()(udev* context) const { udev_unref(context); }
    void operator()(udev_enumerate* enumerate) const { udev_enumerate_unref(enumerate); }
    void operator()(udev_device* device) const { udev_device_unref(device); }
};
template <typename T> using UdevPointer = std::unique_ptr<T, UdevDeleter>;

std::string property(udev_device* device, const char* key)
{
    const char* value = udev_device_get_property_value(device, key);
    return value ? value : "";
}

// The names udev's hardware database gives are the friendliest; the ones the
// device reports itself come next.
std::string firstProperty(udev_device* device, const char* preferred, const char* fallback)
{
    std::string value = property(device, preferred);
    return value.empty() ? property(device, fallback) : value;
}

std::optional<SerialLine> serialLine(udev* context, const char* syspath)
{
    UdevPointer<udev_device> device(udev_device_new_from_syspath(context, syspath));
    if (!device)
        return std::nullopt;
    // Virtual terminals and pseudo-terminals have no parent device.
    const char* node = udev_device_get_devnode(device.get());
    if (!node || !udev_device_get_parent(device.get()))
        return std::nullopt;
    // A UART slot the kernel reserves but found no UART in reports type 0.
    const char* uartType = udev_device_get_sysattr_value(device.get(), "type");
    if (uartType && std::string(uartType) == "0")
        return std::nullopt;
    const std::string vendor = firstProperty(device.get(), "ID_VENDOR_FROM_DATABASE", "ID_VENDOR");
    const std::string model = firstProperty(device.get(), "ID_MODEL_FROM_DATABASE", "ID_MODEL");
    return SerialLine{serialLineName(udev_device_get_sysname(device.get()), vendor, model), node};
}

} // namespace

std::vector<SerialLine> udevSerialLines()
{
    UdevPointer<udev> context(udev_new());
    if (!context) {
        diagnostic("udev_new returned NULL\n");
        return {};
    }
    UdevPointer<udev_enumerate> enumerate(udev_enumerate_new(context.get()));
    if (!enumerate) {
        diagnostic("udev_enumerate_new returned NULL\n");
        return {};
    }
    int result = udev_enumerate_add_match_subsystem(enumerate.get(), "tty");
    if (result >= 0)
        result = udev_enumerate_scan_devices(enumerate.get());
    if (result < 0) {
        diagnostic("udev_enumerate_scan_devices returned %d\n", result);
        return {};
    }
    std::vector<SerialLine> lines;
    udev_list_entry* entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get()))
    {
        if (auto line = serialLine(context.get(), udev_list_entry_get_name(entry)))
            lines.push_back(std::move(*line));
    }
    return lines;
}

std::string serialLineName(const std::string& deviceName, const std::string& vendor, const std::string& model)
{
    std::string adapter = vendor;
    if (!model.empty())
        adapter += (adapter.empty() ? "" : " ") + model;
    std::replace(adapter.begin(), adapter.end(), '_', ' ');
    return adapter.empty() ? deviceName : deviceName + " (" + adapter + ")";
}

std::optional<std::filesystem::path> announcedTowersFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime)
        return std::nullopt;
    return std::filesystem::path(runtime) / "infrabrick" / "towers";
}

std::vector<SerialLine> announcedTowers(const std::filesystem::path& folder)
{
    std::vector<SerialLine> towers;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        std::error_code statusError;
        // exists() follows the link: a dangling one is skipped.
        if (entry->is_symlink(statusError) && std::filesystem::exists(entry->path(), statusError))
            towers.push_back({entry->path().filename().string(), entry->path().string()});
    }
    std::sort(towers.begin(), towers.end(), [](const SerialLine& a, const SerialLine& b) { return a.name < b.name; });
    return towers;
}
