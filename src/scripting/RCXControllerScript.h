#pragma once

#include "link/Control.h"
#include "rcx/ProgramFileDownload.h"
#include "rcx/RCXController.h"
#include "scripting/RCXDatalog.h"
#include "scripting/RCXMotorOutput.h"
#include "scripting/RCXProgramSlot.h"
#include "scripting/RCXSensorInput.h"
#include "scripting/RCXVariable.h"
#include "scripting/TransferElement.h"

#include <QDBusObjectPath>
#include <QList>

#include <array>
#include <memory>
#include <vector>

// The brick as scripts see it: its battery, current slot and messages, the
// run, stop and send commands, and its elements (inputs, outputs, slots,
// datalog, variables). Every read or write is a brick operation at that
// moment; only the received messages are kept here.
//
// It listens to the command sender too, but a failed exchange is the
// application's to show: a script gets the value the failed operation yields.
// A script's choice of slot, and its downloads and deletions, are told as
// programChanged, so that the window shows them at once.
class RCXControllerScript : public TransferElement, public Control {
    Q_OBJECT
    Q_PROPERTY(int batteryLevel READ batteryLevel)
    Q_PROPERTY(QDBusObjectPath currentSlot READ currentSlot WRITE setCurrentSlot)
    Q_PROPERTY(QList<int> messages READ messages)
    Q_PROPERTY(QList<QDBusObjectPath> myRCXInputs READ inputPaths)
    Q_PROPERTY(QList<QDBusObjectPath> myRCXOutputs READ outputPaths)
    Q_PROPERTY(QList<QDBusObjectPath> myRCXSlots READ slotPaths)
    Q_PROPERTY(QList<QDBusObjectPath> myRCXVariables READ variablePaths)
    Q_PROPERTY(QDBusObjectPath myRCXDatalog READ datalogPath)
public:
    static constexpr int inputCount = 3;
    static constexpr int outputCount = 7;
    static constexpr int slotCount = RCXController::slotCount;
    static constexpr int variableCount = RCXController::varCount;
    // How long a message read waits for the link layer's message lock.
    static constexpr float messageWait = 0.2f;

    // `downloads` downloads the slots' program files, sources compiled.
    RCXControllerScript(RCXController& controller, ProgramFileDownload& downloads);
    ~RCXControllerScript() override;

    // Millivolts.
    int batteryLevel();
    // The brick's current slot; the root path for a slot outside 1 to 5.
    QDBusObjectPath currentSlot();
    // Selects the slot at `path`; a path that names no slot is ignored.
    void setCurrentSlot(const QDBusObjectPath& path);
    // Every message received since start-up, oldest first, brought up to
    // date first. Messages the link layer no longer holds are skipped.
    QList<int> messages();

    const std::array<std::unique_ptr<RCXSensorInput>, inputCount>& inputs() const { return myRCXInputs; }
    const std::array<std::unique_ptr<RCXMotorOutput>, outputCount>& outputs() const { return myRCXOutputs; }
    const std::array<std::unique_ptr<RCXProgramSlot>, slotCount>& programSlots() const { return myRCXSlots; }
    const std::array<std::unique_ptr<RCXVariable>, variableCount>& variables() const { return myRCXVariables; }
    RCXDatalog& datalog() const { return *myRCXDatalog; }
    // This object and every element: all the objects scripts reach.
    std::vector<QObject*> scriptObjects();

    void handleRun(ScriptCommand& command);
    // The remote control's stop: the program and the outputs.
    void handleStop(ScriptCommand& command);
    // Sends the "Message" argument's low byte as a brick message; a missing
    // argument, or one that is no number, is an error.
    void handleSend(ScriptCommand& command);
    // Installs the firmware file given as "File"; "Fast" (false unless
    // given) takes the ROM's fast line.
    void handleInstallFirmware(ScriptCommand& command);

    void timeout() override {}
    void towerError() override {}

public slots:
    void Run(const QVariantMap& arguments) { perform(arguments, &RCXControllerScript::handleRun); }
    void Stop(const QVariantMap& arguments) { perform(arguments, &RCXControllerScript::handleStop); }
    void Send(const QVariantMap& arguments) { perform(arguments, &RCXControllerScript::handleSend); }
    void InstallFirmware(const QVariantMap& arguments)
    {
        perform(arguments, &RCXControllerScript::handleInstallFirmware);
    }

signals:
    // The current slot or its program changed.
    void programChanged();
    // A sensor's type, mode or slope changed.
    void sensorsChanged();

private:
    QList<QDBusObjectPath> inputPaths() const;
    QList<QDBusObjectPath> outputPaths() const;
    QList<QDBusObjectPath> slotPaths() const;
    QList<QDBusObjectPath> variablePaths() const;
    QDBusObjectPath datalogPath() const;

    std::array<std::unique_ptr<RCXSensorInput>, inputCount> myRCXInputs;
    std::array<std::unique_ptr<RCXMotorOutput>, outputCount> myRCXOutputs;
    std::array<std::unique_ptr<RCXProgramSlot>, slotCount> myRCXSlots;
    std::array<std::unique_ptr<RCXVariable>, variableCount> myRCXVariables;
    std::unique_ptr<RCXDatalog> myRCXDatalog;
    QList<int> receivedMessages;
    // The link layer's index of the next message to read.
    int nextMessage = 0;
};
