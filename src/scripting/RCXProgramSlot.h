#pragma once

#include "rcx/FileOp.h"
#include "scripting/ScriptElement.h"

#include <chrono>
#include <optional>

// A program slot, 1 to 5, seen by scripts. It receives the progress of its
// own downloads: a scripted download pauses after every accepted block.
class RCXProgramSlot : public ScriptElement, public FileOp {
    Q_OBJECT
    Q_PROPERTY(QString name READ name)
    Q_PROPERTY(int number READ slotNumber)
public:
    // The pause after each block the brick accepts.
    static constexpr std::chrono::milliseconds blockPause{500};

    RCXProgramSlot(RCXController& controller, int slotNumber);

    QString name() const;
    int slotNumber() const { return number; }

    void handleSelect(ScriptCommand& command);
    void handleDelete(ScriptCommand& command);
    // Selects this slot and downloads the program file given as "File".
    // Unlike the window's download, a failure leaves the slot as the
    // transfer left it.
    void handleDownload(ScriptCommand& command);
    void handleRun(ScriptCommand& command);
    // Stops the program only while this slot is the brick's current one.
    void handleStop(ScriptCommand& command);

    void startFileOp(const std::string& title) override;
    void advanceBy(double increment) override;
    void abortFileOp(const std::string& message) override;
    void stopFileOp() override;

public slots:
    void Select(const QVariantMap& arguments) { perform(arguments, &RCXProgramSlot::handleSelect); }
    void Delete(const QVariantMap& arguments) { perform(arguments, &RCXProgramSlot::handleDelete); }
    void Download(const QVariantMap& arguments) { perform(arguments, &RCXProgramSlot::handleDownload); }
    void Run(const QVariantMap& arguments) { perform(arguments, &RCXProgramSlot::handleRun); }
    void Stop(const QVariantMap& arguments) { perform(arguments, &RCXProgramSlot::handleStop); }

private:
    std::optional<std::string> theError;
    int number;
};
