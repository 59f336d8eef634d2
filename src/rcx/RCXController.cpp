#include "rcx/RCXController.h"

#include "rcx/Localization.h"

namespace {

constexpr int nameCapacity = 64;

// Read-value (0x12) sources.
constexpr int variableSource = 0;
constexpr int outputSource = 3;
constexpr int programSource = 8;
constexpr int sensorValueSource = 9;
constexpr int sensorTypeSource = 10;
constexpr int sensorModeSource = 11;

// An immediate number follows (writeVariable, setOutputsPower).
constexpr int immediate = 2;

int memMapWord(const std::uint8_t* map, int word)
{
    return map[2 * word] * 256 + map[2 * word + 1];
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
    return myRCXSender.sendCodeGet2(0x12, {sensorValueSource, sensor - 1});
}

int RCXController::readBatteryLevel()
{
    return myRCXSender.sendCodeGet2(0x30);
}

int RCXController::readVariable(int variable)
{
    return myRCXSender.sendCodeGet2(0x12, {variableSource, variable});
}

void RCXController::writeVariable(int variable, int value)
{
    myRCXSender.sendCode(0x14, {variable, immediate, value & 0xFF, (value >> 8) & 0xFF});
}

void RCXController::readMemMap(std::uint8_t* buffer)
{
    myRCXSender.sendCodeGetBlock(0x20, buffer, memMapLength);
    // Three bytes an entry; entry 0 is the datalog's own header.
    datalogEntries = (memMapWord(buffer, 92) - memMapWord(buffer, 90)) / 3 - 1;
    for (int slot = 0; slot < slotCount; ++slot) {
        std::string& name = names[slot].program;
        const bool firstTaskUsed = memMapWord(buffer, 40 + 10 * slot) != memMapWord(buffer, 41 + 10 * slot);
        if (name.empty() && firstTaskUsed)
            name.assign(localized("Unknown"));
    }
}

void RCXController::setWatchTime(int hours, int minutes)
{
    myRCXSender.sendCode(0x22, {hours, minutes});
}

void RCXController::sendMessage(int message)
{
    myRCXSender.sendCodeNoReply(0xF7, {message});
}

int RCXController::getMessage(int index, float timeout)
{
    return myRCXPacket.getMessage(index, timeout);
}

void RCXController::sendRemoteCommand(int command)
{
    myRCXSender.sendCodeNoReply(0xD2, {command & 0xFF, (command >> 8) & 0xFF});
}

void RCXController::setDataLog(int size, FileOp& fileOp)
{
    if (myRCXSender.sendCodeGet1(0x52, {size & 0xFF, (size >> 8) & 0xFF}) != 0) {
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
    myRCXSender.sendCode(0x40);
    myRCXSender.sendCode(0x70);
    currentProgName().clear();
}

void RCXController::setOutputsDirection(int outputs, int direction)
{
    myRCXSender.sendCode(0xE1, {(outputs & 7) | (direction << 6)});
}

void RCXController::setOutputsPower(int outputs, int power)
{
    myRCXSender.sendCode(0x13, {outputs & 7, immediate, power - 1});
}

void RCXController::setOutputsOnOffFloat(int outputs, int state)
{
    myRCXSender.sendCode(0x21, {(outputs & 7) | (state << 6)});
}

OutputSettings RCXController::readOutputSettings(int output)
{
    const int status = myRCXSender.sendCodeGet2(0x12, {outputSource, output - 1});
    return {.power = (status & 7) + 1, .direction = (status & 8) ? 2 : 0, .onOffFloat = (status >> 6) & 3};
}

void RCXController::runCurrentProgram()
{
    myRCXSender.sendCode(0x71, {0});
}

void RCXController::selectProgram(int slot)
{
    progNum = slot - 1;
    myRCXSender.sendCode(0x91, {slot - 1});
}

int RCXController::syncProgNum()
{
    progNum = myRCXSender.sendCodeGet2(0x12, {programSource, 0});
    return progNum + 1;
}

void RCXController::stopProgram()
{
    myRCXSender.sendCode(0x50);
}

void RCXController::powerOff()
{
    myRCXSender.sendCodeNoReply(0x60);
}

void RCXController::setSensorType(int sensor, int type)
{
    myRCXSender.sendCode(0x32, {sensor - 1, type});
}

void RCXController::setSensorMode(int sensor, int mode)
{
    myRCXSender.sendCode(0x42, {sensor - 1, mode << 5});
}

void RCXController::setSensorModeSlope(int sensor, int mode, int slope)
{
    myRCXSender.sendCode(0x42, {sensor - 1, (mode << 5) | (slope & 0x1F)});
}

SensorSettings RCXController::readSensorSettings(int sensor)
{
    const int type = myRCXSender.sendCodeGet2(0x12, {sensorTypeSource, sensor - 1});
    const int rawMode = myRCXSender.sendCodeGet2(0x12, {sensorModeSource, sensor - 1});
    return {.type = type, .rawMode = rawMode, .mode = rawMode >> 5, .slope = rawMode & 0x1F};
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
