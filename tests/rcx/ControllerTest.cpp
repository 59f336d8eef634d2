// The controller against the virtual brick in the same process: the commands
// each operation sends, what they do to the brick and read back from it, and
// the name tables.
#include "VirtualBrick.h"

#include "rcx/Localization.h"

#include <gtest/gtest.h>

namespace {

const std::string fixtures = INFRABRICK_RCX_FIXTURES;

TEST(Controller, EachOperationSendsItsCommandsAndIsAnswered)
{
    const struct {
        const char* operation;
        std::function<void(RCXController&)> call;
        std::vector<Command> sent;
    } cases[] = {
        {"readInput", [](RCXController& c) { c.readInput(2); }, {{0x12, 9, 1}}},
        {"readBatteryLevel", [](RCXController& c) { c.readBatteryLevel(); }, {{0x30}}},
        {"readVariable", [](RCXController& c) { c.readVariable(31); }, {{0x12, 0, 31}}},
        {"writeVariable", [](RCXController& c) { c.writeVariable(5, -2); }, {{0x14, 5, 2, 0xFE, 0xFF}}},
        {"writeVariable large", [](RCXController& c) { c.writeVariable(0, 0x1234); }, {{0x14, 0, 2, 0x34, 0x12}}},
        {"setWatchTime", [](RCXController& c) { c.setWatchTime(23, 59); }, {{0x22, 23, 59}}},
        {"sendMessage", [](RCXController& c) { c.sendMessage(200); }, {{0xF7, 200}}},
        {"remote A", [](RCXController& c) { c.sendRemoteCommand(0x0800); }, {{0xD2, 0x00, 0x08}}},
        {"remote C", [](RCXController& c) { c.sendRemoteCommand(0x0001); }, {{0xD2, 0x01, 0x00}}},
        {"datalogUsed", [](RCXController& c) { c.datalogUsed(); }, {{0xA4, 0, 0, 1, 0}}},
        {"deleteCurrentProgram", [](RCXController& c) { c.deleteCurrentProgram(); }, {{0x40}, {0x70}}},
        {"forward", [](RCXController& c) { c.setOutputsDirection(5, 2); }, {{0xE1, 0x85}}},
        {"reverse", [](RCXController& c) { c.setOutputsDirection(0xF, 0); }, {{0xE1, 0x07}}},
        {"on", [](RCXController& c) { c.setOutputsOnOffFloat(7, 2); }, {{0x21, 0x87}}},
        {"off", [](RCXController& c) { c.setOutputsOnOffFloat(7, 1); }, {{0x21, 0x47}}},
        {"power", [](RCXController& c) { c.setOutputsPower(2, 8); }, {{0x13, 2, 2, 7}}},
        {"readOutputSettings", [](RCXController& c) { c.readOutputSettings(3); }, {{0x12, 3, 2}}},
        {"runCurrentProgram", [](RCXController& c) { c.runCurrentProgram(); }, {{0x71, 0}}},
        {"selectProgram", [](RCXController& c) { c.selectProgram(3); }, {{0x91, 2}}},
        {"syncProgNum", [](RCXController& c) { c.syncProgNum(); }, {{0x12, 8, 0}}},
        {"stopProgram", [](RCXController& c) { c.stopProgram(); }, {{0x50}}},
        {"powerOff", [](RCXController& c) { c.powerOff(); }, {{0x60}}},
        {"setSensorType", [](RCXController& c) { c.setSensorType(1, 4); }, {{0x32, 0, 4}}},
        {"setSensorMode", [](RCXController& c) { c.setSensorMode(2, 7); }, {{0x42, 1, 0xE0}}},
        {"setSensorModeSlope", [](RCXController& c) { c.setSensorModeSlope(3, 4, 10); }, {{0x42, 2, 0x8A}}},
        {"readSensorSettings", [](RCXController& c) { c.readSensorSettings(1); }, {{0x12, 10, 0}, {0x12, 11, 0}}},
        {"readMemMap", [](RCXController& c) { std::uint8_t map[188]; c.readMemMap(map); }, {{0x20}}},
    };
    for (const auto& c : cases) {
        VirtualBrick brick;
        c.call(brick.controller);
        EXPECT_EQ(brick.commands(), c.sent) << c.operation;
        EXPECT_EQ(brick.listener.failures(), 0) << c.operation;
    }
}

TEST(Controller, WhatIsSetIsReadBackFromTheBrick)
{
    VirtualBrick brick;
    RCXController& controller = brick.controller;
    controller.setOutputsPower(5, 3);
    controller.setOutputsDirection(1, 0);
    controller.setOutputsOnOffFloat(5, 2);
    controller.setOutputsOnOffFloat(2, 1);
    const struct {
        int output;
        OutputSettings settings;
    } outputs[] = {{1, {3, 0, 2}}, {2, {8, 2, 1}}, {3, {3, 2, 2}}};
    for (const auto& [output, settings] : outputs) {
        const OutputSettings read = controller.readOutputSettings(output);
        EXPECT_EQ(read.power, settings.power) << output;
        EXPECT_EQ(read.direction, settings.direction) << output;
        EXPECT_EQ(read.onOffFloat, settings.onOffFloat) << output;
    }
    EXPECT_EQ(controller.readOutputSettings(2).onOffFloat, 1);
    controller.setOutputsOnOffFloat(2, 0);
    EXPECT_EQ(controller.readOutputSettings(2).onOffFloat, 0);

    controller.setSensorType(2, 3);
    controller.setSensorModeSlope(2, 4, 10);
    controller.setSensorMode(3, 7);
    const SensorSettings sensor = controller.readSensorSettings(2);
    EXPECT_EQ(sensor.type, 3);
    EXPECT_EQ(sensor.rawMode, 0x8A);
    EXPECT_EQ(sensor.mode, 4);
    EXPECT_EQ(sensor.slope, 10);
    EXPECT_EQ(controller.readSensorSettings(3).rawMode, 0xE0);
    ASSERT_EQ(brick.control("sensor 1 raw 700"), "ok");
    EXPECT_EQ(controller.readInput(1), 700);

    controller.writeVariable(5, -2);
    controller.writeVariable(31, 1000);
    EXPECT_EQ(controller.readVariable(5), -2);
    EXPECT_EQ(controller.readVariable(31), 1000);
    controller.setWatchTime(13, 45);
    EXPECT_EQ(brick.brick.snapshot().watch, 13 * 60 + 45);
    ASSERT_EQ(brick.control("battery 8123"), "ok");
    EXPECT_EQ(controller.readBatteryLevel(), 8123);
    controller.selectProgram(4);
    EXPECT_EQ(brick.brick.snapshot().slot, 3);
    EXPECT_EQ(controller.syncProgNum(), 4);

    controller.sendMessage(77);
    controller.sendRemoteCommand(0x0080);
    ASSERT_EQ(brick.control("message 9"), "ok");
    ASSERT_TRUE(waitUntil([&] { return brick.packet.messagesReceived() == 1; }));
    EXPECT_EQ(controller.getMessage(0, 0.2f), 9);
    EXPECT_EQ(controller.getMessage(1, 0.2f), RCXPacket::noSuchMessage);
    controller.powerOff();
    const BrickState state = brick.brick.snapshot();
    EXPECT_EQ(state.messages, (std::vector<std::uint8_t>{77}));
    EXPECT_EQ(state.remote, (std::vector<std::uint16_t>{0x0080}));
    EXPECT_FALSE(state.powered);
    EXPECT_EQ(brick.listener.failures(), 0);
}

TEST(Controller, FailedReadsGiveNeutralValuesAndTheSlotIsChosenAnyway)
{
    VirtualBrick brick;
    brick.packet.block();
    const OutputSettings output = brick.controller.readOutputSettings(2);
    EXPECT_EQ(output.power, 1);
    EXPECT_EQ(output.direction, 0);
    EXPECT_EQ(output.onOffFloat, 0);
    EXPECT_EQ(brick.controller.datalogUsed(), 0);
    brick.controller.selectProgram(4);
    EXPECT_EQ(&brick.controller.currentVarName(7), &brick.controller.varName(4, 7));
    EXPECT_EQ(brick.controller.syncProgNum(), 1);
    EXPECT_EQ(&brick.controller.currentVarName(7), &brick.controller.varName(1, 7));
    // A memory map that cannot be read is zeros and names no slot.
    std::uint8_t map[RCXController::memMapLength];
    std::fill(std::begin(map), std::end(map), 0x55);
    brick.controller.readMemMap(map);
    EXPECT_EQ(Bytes(std::begin(map), std::end(map)), Bytes(RCXController::memMapLength, 0));
    EXPECT_EQ(brick.controller.datalogSize(), -1);
    for (int slot = 1; slot <= 5; ++slot)
        EXPECT_EQ(brick.controller.progName(slot), "") << slot;
    EXPECT_EQ(brick.listener.failures(), 5);
}

TEST(Controller, NameLookupsHandOutOneStringEachAndNoneOutOfRange)
{
    VirtualBrick brick;
    RCXController& controller = brick.controller;
    controller.taskName(1, 1) = "main";
    EXPECT_EQ(controller.taskName(1, 1), "main");
    EXPECT_EQ(&controller.taskName(5, 10), &controller.taskName(5, 10));
    EXPECT_NE(&controller.taskName(1, 1), &controller.taskName(1, 2));
    EXPECT_NE(&controller.subName(2, 8), &controller.subName(3, 8));
    EXPECT_EQ(&controller.varName(1, 0), &controller.currentVarName(0));
    EXPECT_EQ(&controller.progName(1), &controller.currentProgName());
    for (int slot = 1; slot <= 5; ++slot)
        EXPECT_GE(controller.progName(slot).capacity(), 64u);
    for (std::string* stray : {&controller.varName(0, 40), &controller.varName(1, -1), &controller.varName(1, 32),
                               &controller.taskName(1, 11), &controller.taskName(1, 0), &controller.subName(6, 1),
                               &controller.subName(1, 9), &controller.progName(0), &controller.progName(6)})
        *stray = "stray";
    for (int slot = 1; slot <= 5; ++slot) {
        EXPECT_EQ(controller.progName(slot), "");
        for (int task = 1; task <= 10; ++task)
            EXPECT_EQ(controller.taskName(slot, task), slot == 1 && task == 1 ? "main" : "");
        for (int sub = 1; sub <= 8; ++sub)
            EXPECT_EQ(controller.subName(slot, sub), "");
        for (int variable = 0; variable < 32; ++variable)
            EXPECT_EQ(controller.varName(slot, variable), "");
    }
    EXPECT_EQ(controller.varName(1, -1), "");
}

TEST(Controller, NamesFollowDownloadsDeletionsAndMemoryMaps)
{
    VirtualBrick brick;
    RCXController& controller = brick.controller;
    RecordingFileOp fileOp;
    controller.selectProgram(1);
    ASSERT_EQ(controller.sendProgFile(fixtures + "/tasks.rcx", fileOp), 0);
    controller.selectProgram(2);
    ASSERT_EQ(controller.sendProgFile(fixtures + "/blink.rcx", fileOp), 0);
    EXPECT_EQ(controller.progName(1), "tasks");
    EXPECT_EQ(controller.progName(2), "blink");
    EXPECT_EQ(controller.varName(2, 0), "count");
    controller.progName(1) = "mine";
    std::uint8_t map[RCXController::memMapLength];
    controller.readMemMap(map);
    EXPECT_EQ(controller.progName(1), "mine") << "named slots keep their names";
    controller.deleteCurrentProgram();
    EXPECT_EQ(controller.progName(2), "");
    EXPECT_EQ(controller.varName(2, 0), "count") << "only the program name goes";
    EXPECT_TRUE(brick.brick.snapshot().programs[1].tasks[0].empty());
    controller.readMemMap(map);
    EXPECT_EQ(controller.progName(2), "") << "its first task is empty now";
    // A controller that starts afresh knows no names: occupied slots are
    // "Unknown", looked up in the user's language.
    RCXController fresh(brick.sender, brick.packet);
    setLocalizer([](const std::string& key) { return key == "Unknown" ? "Inconnu" : key; });
    fresh.readMemMap(map);
    setLocalizer({});
    for (int slot = 1; slot <= 5; ++slot)
        EXPECT_EQ(fresh.progName(slot), slot == 1 ? "Inconnu" : "") << slot;
    EXPECT_EQ(brick.listener.failures(), 0);
}

TEST(Controller, TheDatalogIsSetUpMeasuredAndRefusedWhenTooLarge)
{
    VirtualBrick brick;
    RCXController& controller = brick.controller;
    RecordingFileOp fileOp;
    std::uint8_t map[RCXController::memMapLength];
    controller.setDataLog(20, fileOp);
    EXPECT_EQ(brick.brick.snapshot().datalog.size, 20);
    EXPECT_EQ(controller.datalogSize(), 20);
    ASSERT_EQ(brick.control("datalog add 0x41 -5"), "ok");
    ASSERT_EQ(brick.control("datalog add 0x03 7"), "ok");
    EXPECT_EQ(controller.datalogUsed(), 3);
    controller.readMemMap(map);
    EXPECT_EQ(controller.datalogSize(), 20);
    controller.setDataLog(0, fileOp);
    controller.readMemMap(map);
    EXPECT_EQ(controller.datalogSize(), -1) << "no datalog area";
    controller.setDataLog(300, fileOp);
    controller.setDataLog(5000, fileOp);
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"abort RCX memory full"}));
    EXPECT_EQ(controller.datalogSize(), 300);
    EXPECT_EQ(brick.brick.snapshot().datalog.size, 300);
}

} // namespace
