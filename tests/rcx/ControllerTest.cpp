// The controller against the in-process virtual brick: commands, read-backs, names.
#include "support/VirtualBrick.h"

#include "rcx/Localization.h"

#include <gtest/gtest.h>

namespace {

class Controller : public ::testing::Test {
protected:
    VirtualBrick brick;
    RCXController& controller = brick.controller;
    RecordingFileOp fileOp;
};

// What the brick cannot be asked back; the read-backs below check the rest.
TEST_F(Controller, EachOperationSendsItsCommandsAndIsAnswered)
{
    const std::pair<std::function<void(RCXController&)>, std::vector<Command>> cases[] = {
        {[](RCXController& c) { c.readVariable(31); }, {{0x12, 0, 31}}}, {[](RCXController& c) { c.powerOff(); }, {{0x60}}},
        {[](RCXController& c) { c.setWatchTime(23, 59); }, {{0x22, 23, 59}}}, {[](RCXController& c) { c.sendMessage(200); }, {{0xF7, 200}}},
        {[](RCXController& c) { c.sendRemoteCommand(0x0801); }, {{0xD2, 0x01, 0x08}}},
        {[](RCXController& c) { c.datalogUsed(); }, {{0xA4, 0, 0, 1, 0}}},
        {[](RCXController& c) { c.deleteCurrentProgram(); }, {{0x40}, {0x70}}},
        {[](RCXController& c) { c.setOutputsDirection(5, 2); }, {{0xE1, 0x85}}},
        {[](RCXController& c) { c.setOutputsDirection(0xF, 0); }, {{0xE1, 0x07}}},
        {[](RCXController& c) { c.setOutputsOnOffFloat(7, 1); }, {{0x21, 0x47}}},
        {[](RCXController& c) { c.setOutputsPower(2, 8); }, {{0x13, 2, 2, 7}}},
        {[](RCXController& c) { c.runCurrentProgram(); }, {{0x71, 0}}}, {[](RCXController& c) { c.stopProgram(); }, {{0x50}}},
        {[](RCXController& c) { c.setSensorMode(2, 7); }, {{0x42, 1, 0xE0}}},
        {[](RCXController& c) { std::uint8_t map[188]; c.readMemMap(map); }, {{0x20}}},
    };
    for (const auto& [call, sent] : cases) {
        VirtualBrick fresh;
        call(fresh.controller);
        EXPECT_EQ(fresh.commands(), sent);
        EXPECT_EQ(fresh.listener.failures(), 0);
    }
}

TEST_F(Controller, WhatIsSetIsReadBackFromTheBrick)
{
    controller.setOutputsPower(5, 3);
    controller.setOutputsDirection(1, 0);
    controller.setOutputsOnOffFloat(5, 2);
    controller.setOutputsOnOffFloat(2, 1);
    for (const auto& [output, expected] : {std::pair{1, std::vector{3, 0, 2}}, {2, {8, 2, 1}}, {3, {3, 2, 2}}}) {
        const OutputSettings read = controller.readOutputSettings(output);
        EXPECT_EQ((std::vector{read.power, read.direction, read.onOffFloat}), expected) << output;
    }
    controller.setSensorType(2, 3);
    controller.setSensorModeSlope(2, 4, 10);
    const SensorSettings sensor = controller.readSensorSettings(2);
    EXPECT_EQ((std::vector{sensor.type, sensor.rawMode, sensor.mode, sensor.slope}), (std::vector{3, 0x8A, 4, 10}));
    ASSERT_EQ(brick.control("sensor 1 raw 700") + brick.control("battery 8123") + brick.control("message 9"), "okokok");
    controller.writeVariable(5, -2);
    controller.selectProgram(4);
    EXPECT_EQ((std::vector{controller.readInput(1), controller.readBatteryLevel(), controller.readVariable(5), controller.syncProgNum()}),
              (std::vector{700, 8123, -2, 4}));
    ASSERT_TRUE(waitUntil([&] { return brick.packet.messagesReceived() == 1; }));
    EXPECT_EQ(std::pair(controller.getMessage(0, 0.2f), controller.getMessage(1, 0.2f)), std::pair(9, int(RCXPacket::noSuchMessage)));
    EXPECT_EQ(brick.listener.failures(), 0);
}

TEST_F(Controller, FailedReadsGiveNeutralValuesAndNameNoSlot)
{
    brick.packet.block();
    const OutputSettings output = controller.readOutputSettings(2);
    EXPECT_EQ((std::vector{output.power, output.direction, output.onOffFloat, controller.datalogUsed()}), (std::vector{1, 0, 0, 0}));
    controller.selectProgram(4);
    EXPECT_EQ(&controller.currentVarName(7), &controller.varName(4, 7)) << "the slot is chosen anyway";
    EXPECT_EQ(controller.syncProgNum(), 1);
    EXPECT_EQ(&controller.currentProgName(), &controller.progName(1));
    Bytes map(RCXController::memMapLength);
    controller.readMemMap(map.data());
    EXPECT_EQ(controller.datalogSize(), -1);
    EXPECT_EQ(controller.progName(1) + controller.progName(2) + controller.progName(3) + controller.progName(4) + controller.progName(5), "");
    EXPECT_EQ(brick.listener.failures(), 5);
}

TEST_F(Controller, NameLookupsHandOutOneStringEachAndNoneOutOfRange)
{
    EXPECT_EQ(&controller.taskName(5, 10), &controller.taskName(5, 10));
    EXPECT_NE(&controller.taskName(1, 1), &controller.taskName(1, 2));
    EXPECT_NE(&controller.subName(2, 8), &controller.subName(3, 8));
    for (std::string* stray : {&controller.varName(0, 40), &controller.varName(1, -1), &controller.varName(1, 32),
                               &controller.taskName(1, 11), &controller.taskName(1, 0), &controller.subName(6, 1),
                               &controller.subName(1, 9), &controller.progName(0), &controller.progName(6)})
        *stray = "stray";
    std::string all;
    for (int slot = 0; slot <= 6; ++slot)
        for (int index = -1; index <= 32; ++index)
            all += controller.progName(slot) + controller.taskName(slot, index) + controller.subName(slot, index) + controller.varName(slot, index);
    EXPECT_EQ(all, "");
}

TEST_F(Controller, NamesFollowDownloadsDeletionsAndMemoryMapsAndTheDatalogItsSize)
{
    controller.selectProgram(1);
    ASSERT_EQ(controller.sendProgFile(INFRABRICK_RCX_FIXTURES "/tasks.rcx", fileOp), 0);
    controller.selectProgram(2);
    ASSERT_EQ(controller.sendProgFile(INFRABRICK_RCX_FIXTURES "/blink.rcx", fileOp), 0);
    EXPECT_EQ(controller.progName(1) + controller.varName(2, 0), "taskscount");
    controller.progName(1) = "mine";
    std::uint8_t map[RCXController::memMapLength];
    controller.readMemMap(map);
    EXPECT_EQ(controller.progName(1), "mine") << "named slots keep their names";
    controller.deleteCurrentProgram();
    EXPECT_EQ(controller.progName(2) + controller.varName(2, 0), "count") << "only the program name goes";
    EXPECT_TRUE(brick.brick.snapshot().programs[1].tasks[0].empty());
    controller.readMemMap(map);
    EXPECT_EQ(controller.progName(2), "") << "its first task is empty now";
    controller.selectProgram(3);
    ASSERT_EQ(controller.sendProgFile(INFRABRICK_RCX_FIXTURES "/blink.rcx", fileOp), 0);
    // A fresh controller calls occupied slots "Unknown", in the user's language.
    RCXController fresh(brick.sender, brick.packet);
    setLocalizer([](const std::string& key) { return key == "Unknown" ? "Inconnu" : key; });
    fresh.readMemMap(map);
    setLocalizer({});
    for (int slot = 1; slot <= 5; ++slot)
        EXPECT_EQ(fresh.progName(slot), slot == 1 || slot == 3 ? "Inconnu" : "") << slot;
    controller.setDataLog(20, fileOp);
    EXPECT_EQ(controller.datalogSize(), 20);
    ASSERT_TRUE(brick.brick.addDatalogEntry(0x41, -5) && brick.brick.addDatalogEntry(0x03, 7));
    EXPECT_EQ(controller.datalogUsed(), 3);
    controller.readMemMap(map);
    EXPECT_EQ(controller.datalogSize(), 20);
    controller.setDataLog(0, fileOp);
    controller.readMemMap(map);
    EXPECT_EQ(controller.datalogSize(), -1) << "no datalog area";
    controller.setDataLog(300, fileOp);
    controller.setDataLog(5000, fileOp);
    EXPECT_EQ(fileOp.events.back(), "abort RCX memory full");
    EXPECT_EQ(std::pair(controller.datalogSize(), brick.brick.snapshot().datalog.size), std::pair(300, 300));
    EXPECT_EQ(brick.listener.failures(), 0);
}

} // namespace
