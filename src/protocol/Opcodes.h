#pragma once

#include <cstdint>

// The opcodes of the brick's commands and of its byte-code instructions, with
// the toggle bit clear. Many are both: a host may send an instruction as a
// command. The names are an unscoped enumeration in a namespace of their own,
// so that one goes wherever the link layer takes an opcode as an int.
namespace Opcode {

enum Code : std::uint8_t {
    playVariableTone = 0x02,
    triggerEvents = 0x03,
    calibrateEvent = 0x04,
    setSource = 0x05,
    clearEvents = 0x06,
    alive = 0x10,
    getValue = 0x12,
    setPower = 0x13,
    setVariable = 0x14,
    getVersions = 0x15,
    callSub = 0x17,
    memoryMap = 0x20,
    setOnOffFloat = 0x21,
    setWatch = 0x22,
    playTone = 0x23,
    addToVariable = 0x24,
    beginTask = 0x25,
    branchNear = 0x27,
    battery = 0x30,
    setTransmitterRange = 0x31,
    setSensorType = 0x32,
    setDisplay = 0x33,
    subtractFromVariable = 0x34,
    beginSub = 0x35,
    decrementLoopCounterNear = 0x37,
    deleteTasks = 0x40,
    setSensorMode = 0x42,
    wait = 0x43,
    divideVariable = 0x44,
    transferData = 0x45,
    stopAll = 0x50,
    playSound = 0x51,
    setDatalogSize = 0x52,
    multiplyVariable = 0x54,
    powerOff = 0x60,
    logNext = 0x62,
    signOfVariable = 0x64,
    deleteFirmware = 0x65,
    setGlobalOnOffFloat = 0x67,
    deleteSubs = 0x70,
    startTask = 0x71,
    branchFar = 0x72,
    acquire = 0x73,
    absoluteOfVariable = 0x74,
    beginFirmware = 0x75,
    setGlobalDirection = 0x77,
    clearSounds = 0x80,
    stopTask = 0x81,
    setLoopCounter = 0x82,
    andVariable = 0x84,
    testNear = 0x85,
    clearMessage = 0x90,
    selectProgram = 0x91,
    decrementLoopCounterFar = 0x92,
    setEvent = 0x93,
    orVariable = 0x94,
    testFar = 0x95,
    incrementCounter = 0x97,
    release = 0xA0,
    clearTimer = 0xA1,
    setMaxPower = 0xA3,
    uploadDatalog = 0xA4,
    unlockFirmware = 0xA5,
    decrementCounter = 0xA7,
    leaveMonitor = 0xB0,
    setPowerDownDelay = 0xB1,
    sendMessage = 0xB2,
    enterMonitorNear = 0xB4,
    enterMonitorFar = 0xB5,
    clearCounter = 0xB7,
    sendSerial = 0xC2,
    mute = 0xD0,
    clearSensor = 0xD1,
    remoteCommand = 0xD2,
    setPriority = 0xD7,
    unmute = 0xE0,
    setDirection = 0xE1,
    setUserDisplay = 0xE5,
    decrementVariableNear = 0xF2,
    decrementVariableFar = 0xF3,
    returnFromSub = 0xF6,
    message = 0xF7,
};

} // namespace Opcode

// Set in the opcode byte of every other new command, so that the brick can
// tell a new command from a repeat of the last one.
constexpr std::uint8_t toggleBit = 0x08;

// The opcode of an opcode byte as sent, toggle bit and all.
constexpr std::uint8_t withoutToggle(int opcodeByte)
{
    return static_cast<std::uint8_t>(opcodeByte & ~toggleBit & 0xFF);
}
