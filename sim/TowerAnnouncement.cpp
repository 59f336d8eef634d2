#include "sim/TowerAnnouncement.h"

#include "ports/SerialLines.h"

#include <system_error>

TowerAnnouncement::TowerAnnouncement(const std::string& name, const std::string& target)
    : target(target)
{
    const std::optional<std::filesystem::path> towers = announcedTowersFolder();
    if (!towers) {
        error = "XDG_RUNTIME_DIR is not set";
        return;
    }
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        error = "a tower name must not be empty or hold a slash";
        return;
    }
    const std::filesystem::path& folder = *towers;
    std::error_code failed;
    std::filesystem::create_directories(folder, failed);
    const std::filesystem::path path = folder / name;
    // A fresh link under a temporary name, renamed over the old one, so that
    // the name never points nowhere.
    const std::filesystem::path fresh = folder / ("." + name + ".new");
    std::filesystem::remove(fresh, failed);
    std::filesystem::create_symlink(target, fresh, failed);
    if (!failed)
        std::filesystem::rename(fresh, path, failed);
    if (failed) {
        std::error_code ignored;
        std::filesystem::remove(fresh, ignored);
        error = "can't link " + path.string() + ": " + failed.message();
        return;
    }
    linkPath = path;
}

TowerAnnouncement::~TowerAnnouncement()
{
    if (linkPath.empty())
        return;
    std::error_code failed;
    if (std::filesystem::read_symlink(linkPath, failed) == target && !failed)
        std::filesystem::remove(linkPath, failed);
}
