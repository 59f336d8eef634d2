#include "scripting/RCXControllerScript.h"

#include "protocol/RemoteControl.h"
#include "rcx/RCXController.h"
#include "BrickAdaptor.h"
#include "scripting/BrickPaths.h"

#include <QCoreApplication>

namespace {

constexpr int initialMessageCapacity = 256;

template <class Element, std::size_t Count>
QList<QDBusObjectPath> pathsOf(const std::array<std::unique_ptr<Element>, Count>& elements)
{
    QList<QDBusObjectPath> paths;
    for (const auto& element : elements)
        paths.append(QDBusObjectPath(BrickPaths::of(*element)));
    return paths;
}

} // namespace

RCXControllerScript::RCXControllerScript(RCXController& controller, ProgramFileDownload& downloads)
    : TransferElement(controller)
{
    for (int input = 1; input <= inputCount; ++input) {
        myRCXInputs[input - 1] = std::make_unique<RCXSensorInput>(controller, input);
        connect(myRCXInputs[input - 1].get(), &RCXSensorInput::settingsChanged, this,
                &RCXControllerScript::sensorsChanged);
    }
    for (int mask = 1; mask <= outputCount; ++mask)
        myRCXOutputs[mask - 1] = std::make_unique<RCXMotorOutput>(controller, mask);
    for (int slot = 1; slot <= slotCount; ++slot) {
        myRCXSlots[slot - 1] = std::make_unique<RCXProgramSlot>(controller, downloads, slot);
        connect(myRCXSlots[slot - 1].get(), &RCXProgramSlot::programChanged, this,
                &RCXControllerScript::programChanged);
    }
    myRCXDatalog = std::make_unique<RCXDatalog>(controller);
    for (int variable = 0; variable < variableCount; ++variable)
        myRCXVariables[variable] = std::make_unique<RCXVariable>(controller, variable);
    receivedMessages.reserve(initialMessageCapacity);
    new BrickAdaptor(this);
}

RCXControllerScript::~RCXControllerScript() = default;

int RCXControllerScript::batteryLevel()
{
    return myRCXController.readBatteryLevel();
}

QDBusObjectPath RCXControllerScript::currentSlot()
{
    const int slot = myRCXController.syncProgNum();
    return QDBusObjectPath(slot >= 1 && slot <= slotCount ? BrickPaths::of(*myRCXSlots[slot - 1]) : QStringLiteral("/"));
}

void RCXControllerScript::setCurrentSlot(const QDBusObjectPath& path)
{
    for (const auto& slot : myRCXSlots)
        if (BrickPaths::of(*slot) == path.path()) {
            myRCXController.selectProgram(slot->slotNumber());
            emit programChanged();
        }
}

QList<int> RCXControllerScript::messages()
{
    for (;;) {
        const int message = myRCXController.getMessage(nextMessage, messageWait);
        if (message >= 0) {
            receivedMessages.append(message);
            ++nextMessage;
            continue;
        }
        // Messages overwritten in the link layer are gone: go on from the
        // oldest one still held, or the list would never grow again.
        const int oldestHeld = myRCXController.oldestHeldMessage();
        if (nextMessage >= oldestHeld)
            return receivedMessages;
        nextMessage = oldestHeld;
    }
}

void RCXControllerScript::handleRun(ScriptCommand&)
{
    myRCXController.runCurrentProgram();
}

void RCXControllerScript::handleStop(ScriptCommand&)
{
    myRCXController.sendRemoteCommand(remoteRelease);
    myRCXController.sendRemoteCommand(remoteStop);
}

void RCXControllerScript::handleSend(ScriptCommand& command)
{
    // A message that is no number counts as none: sending 0 for it would
    // hide the script's mistake.
    bool isNumber = false;
    const int message = command.evaluatedArguments().value("Message").toInt(&isNumber);
    if (!isNumber) {
        command.fail(ScriptError::argumentMissing,
                     QCoreApplication::translate("Localizable", "Send requires a message argument"));
        return;
    }
    myRCXController.sendMessage(message);
}

void RCXControllerScript::handleInstallFirmware(ScriptCommand& command)
{
    const bool fast = command.evaluatedArguments().value("Fast", false).toBool();
    runTransfer(command, QT_TRANSLATE_NOOP("Localizable", "InstallFirmware requires a file argument"),
                ScriptError::installFailed, [this, fast](const std::string& path) {
                    myRCXController.sendFirmware(path, *this, fast ? RCXController::FirmwareSpeed::fast
                                                                   : RCXController::FirmwareSpeed::normal);
                });
}

std::vector<QObject*> RCXControllerScript::scriptObjects()
{
    std::vector<QObject*> objects = {this, myRCXDatalog.get()};
    auto addAll = [&objects](const auto& elements) {
        for (const auto& element : elements)
            objects.push_back(element.get());
    };
    addAll(myRCXInputs);
    addAll(myRCXOutputs);
    addAll(myRCXSlots);
    addAll(myRCXVariables);
    return objects;
}

QList<QDBusObjectPath> RCXControllerScript::inputPaths() const
{
    return pathsOf(myRCXInputs);
}

QList<QDBusObjectPath> RCXControllerScript::outputPaths() const
{
    return pathsOf(myRCXOutputs);
}

QList<QDBusObjectPath> RCXControllerScript::slotPaths() const
{
    return pathsOf(myRCXSlots);
}

QList<QDBusObjectPath> RCXControllerScript::variablePaths() const
{
    return pathsOf(myRCXVariables);
}

QDBusObjectPath RCXControllerScript::datalogPath() const
{
    return QDBusObjectPath(BrickPaths::of(*myRCXDatalog));
}
