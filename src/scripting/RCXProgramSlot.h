#pragma once

#include "scripting/TransferElement.h"

class ProgramFileDownload;

#include <chrono>

// A program slot, 1 to 5, seen by scripts. It receives the progress of its
// own downloads: a scripted download pauses after every accepted block.
// Whatever changes the brick's current slot or its program tells
// programChanged, so that the window follows.
class RCXProgramSlot : public TransferElement {
    Q_OBJECT
    Q_PROPERTY(QString name READ name)
    Q_PROPERTY(int number READ slotNumber)
public:
    // The pause after each block the brick accepts.
    static constexpr std::chrono::milliseconds blockPause{500};

    RCXProgramSlot(RCXController& controller, ProgramFileDownload& downloads, int slotNumber);

    QString name() const;
    int slotNumber() const { return number; }

    void handleSelect(ScriptCommand& command);
    void handleDelete(ScriptCommand& command);
    // Selects this slot and downloads the program file given as "File", a
    // source compiled first. Unlike the window's download, a failure leaves
    // the slot as the transfer left it; a source that does not compile
    // fails with compileFailed and the compiler's errors.
    void handleDownload(ScriptCommand& command);
    void handleRun(ScriptCommand& command);
    // Stops the program only while this slot is the brick's current one.
    void handleStop(ScriptCommand& command);

    void advanceBy(double increment) override;

public slots:
    void Select(const QVariantMap& arguments) { perform(arguments, &RCXProgramSlot::handleSelect); }
    void Delete(const QVariantMap& arguments) { perform(arguments, &RCXProgramSlot::handleDelete); }
    void Download(const QVariantMap& arguments) { perform(arguments, &RCXProgramSlot::handleDownload); }
    void Run(const QVariantMap& arguments) { perform(arguments, &RCXProgramSlot::handleRun); }
    void Stop(const QVariantMap& arguments) { perform(arguments, &RCXProgramSlot::handleStop); }

signals:
    void programChanged();

private:
    ProgramFileDownload& myDownloads;
    int number;
};
