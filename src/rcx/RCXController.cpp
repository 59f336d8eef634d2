#include "rcx/RCXController.h"

#include "protocol/Datalog.h"
#include "protocol/Firmware.h"
#include "protocol/Opcodes.h"
#include "protocol/Outputs.h"
#include "protocol/Sensors.h"
#include "protocol/Sources.h"
#include "protocol/Words.h"
#include "rcx/Localization.h"

namespace {

constexpr int nameCapacity = 64;

int memMapWord(const std::uint8_t* map, int word)
{
    return bigEndian16({map, RCXController::memMapLength}, static_cast<std::size_t>(2 * word));
}

} // namespace

RCXController::RCXController(RCXSender& sender, RCXPacket& packet)
    : myRCXSender(sender)
    , myRCXPacket(packet)
{
    for (SlotNames& slot : names) {
        slot.program.reserve(nameCapacity);
        for (std::string& name : slot.tasks)
            name.reserve(nameCapacity);
        for (std::string& name : slot.subs)
            name.reserve(nameCapacity);
        for (std::string& name : slot.vars)
            name.reserve(nameCapacity);
    }
}

int RCXController::readInput(int sensor)
{
    return myRCXSender.sendCodeGet2(Opcode::getValue, {sensorValueSource, sensor - 1});
}

int RCXController::readBatteryLevel()
{
    return myRCXSender.sendCodeGet2(Opcode::battery);
}

int RCXController::readVariable(int variable)
{
    return myRCXSender.sendCodeGet2(Opcode::getValue, {variableSource, variable});
}

void RCXController::writeVariable(int variable, int value)
{
    myRCXSender.sendCode(Opcode::setVariable, {variable, constantSource, lowByte(value), highByte(value)});
}

void RCXController::readMemMap(std::uint8_t* buffer)
{
    myRCXSender.sendCodeGetBlock(Opcode::memoryMap, buffer, memMapLength);
    // Entry 0 is the datalog's own header.
    datalogEntries = (memMapWord(buffer, 92) - memMapWord(buffer, 90)) / datalogEntryBytes - 1;
    for (int slot = 0; slot < slotCount; ++slot) {
        std::string& name = names[slot].program;
        const bool firstTaskUsed = memMapWord(buffer, 40 + 10 * slot) != memMapWord(buffer, 41 + 10 * slot);
        if (name.empty() && firstTaskUsed)
            name.assign(localized("Unknown"));
    }
}

int RCXController::readWatch()
{
    return myRCXSender.sendCodeGet2(Opcode::getValue, {watchSource, 0});
}

Versions RCXController::readVersions()
{
    std::uint8_t words[8];
    myRCXSender.sendCodeGetBlock(Opcode::getVersions, words, sizeof words, firmwareKey);
    return {bigEndian16(words, 0), bigEndian16(words, 2), bigEndian16(words, 4), bigEndian16(words, 6)};
}

void RCXController::playSound(int sound)
{
    myRCXSender.sendCode(Opcode::playSound, {sound});
}

void RCXController::setPowerDownDelay(int minutes)
{
    myRCXSender.sendCode(Opcode::setPowerDownDelay, {minutes});
}

void RCXController::setWatchTime(int hours, int minutes)
{
    myRCXSender.sendCode(Opcode::setWatch, {hours, minutes});
}

void RCXController::sendMessage(int message)
{
    myRCXSender.sendCodeNoReply(Opcode::message, {message});
}

int RCXController::getMessage(int index, float timeout)
{
    return myRCXPacket.getMessage(index, timeout);
}

void RCXController::sendRemoteCommand(int command)
{
    myRCXSender.sendCodeNoReply(Opcode::remoteCommand, {lowByte(command), highByte(command)});
}

void RCXController::setDataLog(int size, FileOp& fileOp)
{
    if (myRCXSender.sendCodeGet1(Opcode::setDatalogSize, {lowByte(size), highByte(size)}) != 0) {
        fileOp.abortFileOp(localized("RCX memory full"));
        return;
    }
    datalogEntries = size;
}

int RCXController::datalogUsed()
{
    std::uint8_t type = 0;
    std::uint16_t value = 0;
    myRCXSender.uploadBlock(0, 1, &type, &value);
    return static_cast<std::int16_t>(value);
}

void RCXController::deleteCurrentProgram()
{
    myRCXSender.sendCode(Opcode::deleteTasks);
    myRCXSender.sendCode(Opcode::deleteSubs);
    currentProgName().clear();
}

void RCXController::setOutputsDirection(int outputs, int direction)
{
    myRCXSender.sendCode(Opcode::setDirection, {outputCommandByte(outputs, direction)});
}

void RCXController::setOutputsPower(int outputs, int power)
{
    myRCXSender.sendCode(Opcode::setPower, {outputs & allOutputs, constantSource, power - 1});
}

void RCXController::setOutputsOnOffFloat(int outputs, int state)
{
    myRCXSender.sendCode(Opcode::setOnOffFloat, {outputCommandByte(outputs, state)});
}

OutputSettings RCXController::readOutputSettings(int output)
{
    const int status = myRCXSender.sendCodeGet2(Opcode::getValue, {outputSource, output - 1});
    const OutputDirection direction = statusForwardOf(status) ? OutputDirection::Forward : OutputDirection::Reverse;
    return {.power = statusPowerOf(status) + 1, .direction = static_cast<int>(direction), .onOffFloat = statusModeOf(status)};
}

void RCXController::runCurrentProgram()
{
    myRCXSender.sendCode(Opcode::startTask, {0});
}

void RCXController::selectProgram(int slot)
{
    progNum = slot - 1;
    myRCXSender.sendCode(Opcode::selectProgram, {slot - 1});
}

int RCXController::syncProgNum()
{
    progNum = myRCXSender.sendCodeGet2(Opcode::getValue, {slotSource, 0});
    return progNum + 1;
}

void RCXController::stopProgram()
{
    myRCXSender.sendCode(Opcode::stopAll);
}

void RCXController::powerOff()
{
    myRCXSender.sendCodeNoReply(Opcode::powerOff);
}

void RCXController::setSensorType(int sensor, int type)
{
    myRCXSender.sendCode(Opcode::setSensorType, {sensor - 1, type});
}

void RCXController::setSensorMode(int sensor, int mode)
{
    myRCXSender.sendCode(Opcode::setSensorMode, {sensor - 1, sensorModeByte(mode, 0)});
}

void RCXController::setSensorModeSlope(int sensor, int mode, int slope)
{
    myRCXSender.sendCode(Opcode::setSensorMode, {sensor - 1, sensorModeByte(mode, slope)});
}

SensorSettings RCXController::readSensorSettings(int sensor)
{
    const int type = myRCXSender.sendCodeGet2(Opcode::getValue, {sensorTypeSource, sensor - 1});
    const int rawMode = myRCXSender.sendCodeGet2(Opcode::getValue, {sensorModeSource, sensor - 1});
    return {.type = type, .rawMode = rawMode, .mode = sensorModeOf(rawMode), .slope = sensorSlopeOf(rawMode)};
}

RCXController::SlotNames* RCXController::slotNames(int slotIndex)
{
    return slotIndex >= 0 && slotIndex < slotCount ? &names[slotIndex] : nullptr;
}

template <std::size_t Count>
std::string& RCXController::nameIn(SlotNames* slot, std::array<std::string, Count> SlotNames::*table, int index)
{
    if (slot == nullptr || index < 0 || index >= static_cast<int>(Count))
        return noName();
    return (slot->*table)[index];
}

std::string& RCXController::noName()
{
    outOfRange.clear();
    return outOfRange;
}

std::string& RCXController::currentProgName()
{
    return progName(progNum + 1);
}

std::string& RCXController::progName(int slot)
{
    SlotNames* names = slotNames(slot - 1);
    return names != nullptr ? names->program : noName();
}

std::string& RCXController::taskName(int slot, int task)
{
    return nameIn(slotNames(slot - 1), &SlotNames::tasks, task - 1);
}

std::string& RCXController::subName(int slot, int sub)
{
    return nameIn(slotNames(slot - 1), &SlotNames::subs, sub - 1);
}

std::string& RCXController::varName(int slot, int variable)
{
    return nameIn(slotNames(slot - 1), &SlotNames::vars, variable);
}

std::string& RCXController::currentVarName(int variable)
{
    return varName(progNum + 1, variable);
}

void RCXController::deleteFirmware()
{
    myRCXSender.sendCodeNoReply(Opcode::deleteFirmware, firmwareKey);
    names = {};
}

void RCXController::clearCurrentNames()
{
    SlotNames* current = slotNames(progNum);
    if (current == nullptr)
        return;
    for (std::string& name : current->tasks)
        name.clear();
    for (std::string& name : current->subs)
        name.clear();
    for (std::string& name : current->vars)
        name.clear();
}
