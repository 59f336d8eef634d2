#pragma once

#include <filesystem>
#include <string>

// Makes a virtual tower known to the application: the symbolic link
// $XDG_RUNTIME_DIR/infrabrick/towers/NAME to the tower's line. A link of that
// name is replaced (a run that was killed leaves its link behind); the link
// goes when this object does, unless another run has taken the name since.
class TowerAnnouncement {
public:
    TowerAnnouncement(const std::string& name, const std::string& target);
    ~TowerAnnouncement();
    TowerAnnouncement(const TowerAnnouncement&) = delete;
    TowerAnnouncement& operator=(const TowerAnnouncement&) = delete;

    bool made() const { return error.empty(); }
    // Why the link could not be made.
    const std::string& failure() const { return error; }
    const std::filesystem::path& link() const { return linkPath; }

private:
    std::filesystem::path linkPath;
    std::string target;
    std::string error;
};
