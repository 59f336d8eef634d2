#pragma once

#include "link/RCXPacket.h"
#include "link/RCXSender.h"
#include "rcx/FileOp.h"
#include "rcx/RCXController.h"
#include "support/ScriptedPort.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// What a transfer told its FileOp, in order: "start <title>",
// "advance <increment>", "abort <message>", "stop".
class RecordingFileOp : public FileOp {
public:
    void startFileOp(const std::string& title) override { events.push_back("start " + title); }
    void advanceBy(double increment) override { increments.push_back(increment); }
    void abortFileOp(const std::string& message) override { events.push_back("abort " + message); }
    void stopFileOp() override { events.push_back("stop"); }

    std::vector<std::string> events;
    std::vector<double> increments;
};

// Counts the sender's notifications.
class CountingListener : public Control {
public:
    void timeout() override { ++timeouts; }
    void towerError() override { ++towerErrors; }
    int timeouts = 0;
    int towerErrors = 0;
};

// One command as the brick received it: the opcode with the toggle bit
// cleared, then its argument bytes (for a download packet: block number,
// length, data and the data's checksum).
using Command = Bytes;

// One download block as sent.
struct Block {
    int index;
    Bytes data;
    bool operator==(const Block&) const = default;
};

// A controller wired to a scripted tower whose brick answers every command
// at once: by default an accepted status or zeros of the reply's length, and
// its acceptance to the firmware unlock;
// a test replaces the answer of an opcode (data bytes after the reply
// opcode, or std::nullopt for silence).
class ScriptedBrick {
public:
    using Answer = std::function<std::optional<Bytes>(const Command& command)>;

    ScriptedBrick();

    void answer(int opcode, Answer answer);
    // Commands received so far.
    std::vector<Command> commands();
    std::vector<int> opcodes();
    std::vector<Block> blocks();
    void clearCommands() { port.clearWrites(); }

    ScriptedPort port;
    RCXPacket packet{port};
    CountingListener listener;
    RCXSender sender{packet, &listener};
    RCXController controller{sender, packet};

private:
    std::map<int, Answer> answers;
};

// The command's bytes from a framed packet as written.
Command unframed(const Bytes& packet);

// A file in a fresh temporary folder, removed with it.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    std::string write(const std::string& name, const Bytes& contents) const;
    std::string write(const std::string& name, const std::string& contents) const;
    std::string path(const std::string& name) const { return (folder / name).string(); }
    Bytes read(const std::string& name) const;

private:
    std::filesystem::path folder;
};
