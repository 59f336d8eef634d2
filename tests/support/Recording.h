#pragma once

#include "link/Control.h"
#include "rcx/FileOp.h"
#include "support/Bytes.h"

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Counts the sender's notifications and keeps the thread that gave the last.
class RecordingListener : public Control {
public:
    void timeout() override { ++timeouts, thread = std::this_thread::get_id(); }
    void towerError() override { ++towerErrors, thread = std::this_thread::get_id(); }
    int failures() const { return timeouts + towerErrors; }

    std::atomic<int> timeouts = 0, towerErrors = 0;
    std::thread::id thread;
};

// What a transfer told its FileOp ("start <title>", "abort <message>", "stop"), increments apart.
class RecordingFileOp : public FileOp {
public:
    void startFileOp(const std::string& title) override { events.push_back("start " + title); }
    void advanceBy(double increment) override { increments.push_back(increment); }
    void abortFileOp(const std::string& message) override { events.push_back("abort " + message); }
    void stopFileOp() override { events.push_back("stop"); }
    void noteFileOp(const std::string& note) override { notes.push_back(note); }

    std::vector<std::string> events, notes;
    std::vector<double> increments;
};

// A fresh temporary folder, removed with its files; a runtime one is $XDG_RUNTIME_DIR meanwhile.
class TemporaryFolder {
public:
    explicit TemporaryFolder(bool runtime = false);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    std::string path(const std::string& name) const { return (folder / name).string(); }
    std::string write(const std::string& name, const Bytes& contents) const;
    std::string write(const std::string& name, const std::string& contents) const
    {
        return write(name, Bytes(contents.begin(), contents.end()));
    }
    Bytes read(const std::string& name) const;

    const std::filesystem::path folder;

private:
    const bool runtime;
    std::optional<std::string> savedRuntime;
};
