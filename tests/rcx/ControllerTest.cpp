#include "ScriptedBrick.h"

#include "rcx/Localization.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct CommandCase {
    const char* operation;
    std::function<void(RCXController&)> call;
    std::vector<Command> sent;
};

class CommandBytes : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandBytes, GoOutAsTheBrickExpects)
{
    ScriptedBrick brick;
    GetParam().call(brick.controller);
    EXPECT_EQ(brick.commands(), GetParam().sent);
    EXPECT_EQ(brick.listener.timeouts + brick.listener.towerErrors, 0);
}

const CommandCase commandCases[] = {
    {"readInput", [](RCXController& c) { c.readInput(2); }, {{0x12, 9, 1}}},
    {"readBatteryLevel", [](RCXController& c) { c.readBatteryLevel(); }, {{0x30}}},
    {"readVariable", [](RCXController& c) { c.readVariable(31); }, {{0x12, 0, 31}}},
    {"writeVariable", [](RCXController& c) { c.writeVariable(5, -2); }, {{0x14, 5, 2, 0xFE, 0xFF}}},
    {"writeVariableLarge", [](RCXController& c) { c.writeVariable(0, 0x1234); }, {{0x14, 0, 2, 0x34, 0x12}}},
    {"setWatchTime", [](RCXController& c) { c.setWatchTime(23, 59); }, {{0x22, 23, 59}}},
    {"sendMessage", [](RCXController& c) { c.sendMessage(200); }, {{0xF7, 200}}},
    {"sendRemoteCommandA", [](RCXController& c) { c.sendRemoteCommand(0x0800); }, {{0xD2, 0x00, 0x08}}},
    {"sendRemoteCommandC", [](RCXController& c) { c.sendRemoteCommand(0x0001); }, {{0xD2, 0x01, 0x00}}},
    {"sendRemoteCommandB", [](RCXController& c) { c.sendRemoteCommand(0x8000); }, {{0xD2, 0x00, 0x80}}},
    {"datalogUsed", [](RCXController& c) { c.datalogUsed(); }, {{0xA4, 0, 0, 1, 0}}},
    {"deleteCurrentProgram", [](RCXController& c) { c.deleteCurrentProgram(); }, {{0x40}, {0x70}}},
    {"directionForward", [](RCXController& c) { c.setOutputsDirection(5, 2); }, {{0xE1, 0x85}}},
    {"directionReverse", [](RCXController& c) { c.setOutputsDirection(0xF, 0); }, {{0xE1, 0x07}}},
    {"on", [](RCXController& c) { c.setOutputsOnOffFloat(7, 2); }, {{0x21, 0x87}}},
    {"off", [](RCXController& c) { c.setOutputsOnOffFloat(7, 1); }, {{0x21, 0x47}}},
    {"float", [](RCXController& c) { c.setOutputsOnOffFloat(7, 0); }, {{0x21, 0x07}}},
    {"powerHigh", [](RCXController& c) { c.setOutputsPower(2, 8); }, {{0x13, 2, 2, 7}}},
    {"powerLow", [](RCXController& c) { c.setOutputsPower(2, 1); }, {{0x13, 2, 2, 0}}},
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

INSTANTIATE_TEST_SUITE_P(Operations, CommandBytes, ::testing::ValuesIn(commandCases),
                         [](const auto& info) { return std::string(info.param.operation); });

// The brick answers read-value (0x12) with `value` as two bytes.
void answerReads(ScriptedBrick& brick, int value)
{
    brick.answer(0x12, [value](const Command&) {
        return Bytes{static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF)};
    });
}

TEST(Controller, DecodesOutputStatus)
{
    ScriptedBrick brick;
    answerReads(brick, 0x8F);
    OutputSettings settings = brick.controller.readOutputSettings(1);
    EXPECT_EQ(settings.power, 8);
    EXPECT_EQ(settings.direction, 2);
    EXPECT_EQ(settings.onOffFloat, 2);
    answerReads(brick, 0x40);
    settings = brick.controller.readOutputSettings(1);
    EXPECT_EQ(settings.power, 1);
    EXPECT_EQ(settings.direction, 0);
    EXPECT_EQ(settings.onOffFloat, 1);
}

TEST(Controller, DecodesSensorModeByte)
{
    ScriptedBrick brick;
    brick.answer(0x12, [](const Command& command) {
        return command[1] == 10 ? Bytes{4, 0} : Bytes{0xAA, 0};
    });
    const SensorSettings settings = brick.controller.readSensorSettings(2);
    EXPECT_EQ(settings.type, 4);
    EXPECT_EQ(settings.rawMode, 0xAA);
    EXPECT_EQ(settings.mode, 5);
    EXPECT_EQ(settings.slope, 10);
}

TEST(Controller, ReadsSignedValues)
{
    ScriptedBrick brick;
    answerReads(brick, 0xFFFB);
    EXPECT_EQ(brick.controller.readInput(1), -5);
    EXPECT_EQ(brick.controller.readVariable(3), -5);
    brick.answer(0x30, [](const Command&) { return Bytes{0x2C, 0x23}; });
    EXPECT_EQ(brick.controller.readBatteryLevel(), 9004);
}

TEST(Controller, FailedReadsGiveTheNeutralRecords)
{
    ScriptedBrick brick;
    brick.answer(0x12, [](const Command&) { return std::nullopt; });
    const OutputSettings output = brick.controller.readOutputSettings(2);
    EXPECT_EQ(output.power, 1);
    EXPECT_EQ(output.direction, 0);
    EXPECT_EQ(output.onOffFloat, 0);
    EXPECT_EQ(brick.controller.syncProgNum(), 1);
    EXPECT_EQ(brick.listener.timeouts, 2);
}

TEST(Controller, SelectProgramThenSyncAgree)
{
    ScriptedBrick brick;
    brick.controller.selectProgram(3);
    brick.controller.progName(3) = "three";
    EXPECT_EQ(brick.controller.currentProgName(), "three");
    answerReads(brick, 2);
    EXPECT_EQ(brick.controller.syncProgNum(), 3);
    answerReads(brick, 4);
    EXPECT_EQ(brick.controller.syncProgNum(), 5);
    EXPECT_EQ(&brick.controller.currentProgName(), &brick.controller.progName(5));
}

TEST(Controller, SelectProgramChangesSlotEvenWhenTheBrickIsSilent)
{
    ScriptedBrick brick;
    brick.answer(0x91, [](const Command&) { return std::nullopt; });
    brick.controller.selectProgram(4);
    EXPECT_EQ(brick.listener.timeouts, 1);
    EXPECT_EQ(&brick.controller.currentVarName(7), &brick.controller.varName(4, 7));
}

TEST(Controller, NameLookupsHandOutTheSameStrings)
{
    ScriptedBrick brick;
    RCXController& controller = brick.controller;
    std::string& task = controller.taskName(1, 1);
    task = "main";
    EXPECT_EQ(controller.taskName(1, 1), "main");
    EXPECT_EQ(&controller.taskName(5, 10), &controller.taskName(5, 10));
    EXPECT_NE(&controller.taskName(1, 1), &controller.taskName(1, 2));
    EXPECT_NE(&controller.subName(2, 8), &controller.subName(3, 8));
    EXPECT_EQ(&controller.varName(1, 0), &controller.currentVarName(0));
    EXPECT_EQ(&controller.progName(1), &controller.currentProgName());
    for (int slot = 1; slot <= 5; ++slot)
        EXPECT_GE(controller.progName(slot).capacity(), 64u);
}

TEST(Controller, OutOfRangeNamesNeverReachTheTables)
{
    ScriptedBrick brick;
    RCXController& controller = brick.controller;
    controller.varName(0, 40) = "stray";
    controller.taskName(1, 11) = "stray";
    controller.subName(6, 1) = "stray";
    controller.progName(0) = "stray";
    EXPECT_EQ(controller.varName(1, -1), "");
    for (int slot = 1; slot <= 5; ++slot) {
        EXPECT_EQ(controller.progName(slot), "");
        for (int task = 1; task <= 10; ++task)
            EXPECT_EQ(controller.taskName(slot, task), "");
        for (int sub = 1; sub <= 8; ++sub)
            EXPECT_EQ(controller.subName(slot, sub), "");
        for (int variable = 0; variable < 32; ++variable)
            EXPECT_EQ(controller.varName(slot, variable), "");
    }
    answerReads(brick, 9);
    brick.controller.syncProgNum();
    EXPECT_EQ(controller.currentProgName(), "") << "a slot the brick cannot have";
}

// A memory map with the datalog area and the slots' first-task words.
Bytes memMap(int datalogStart, int datalogEnd, std::vector<int> usedSlots)
{
    Bytes map(188, 0);
    auto put = [&map](int word, int value) {
        map[2 * word] = static_cast<std::uint8_t>(value >> 8);
        map[2 * word + 1] = static_cast<std::uint8_t>(value & 0xFF);
    };
    for (int slot = 0; slot < 5; ++slot) {
        put(40 + 10 * slot, 0x1000);
        put(41 + 10 * slot, 0x1000);
    }
    for (int slot : usedSlots)
        put(41 + 10 * slot, 0x1040);
    put(90, datalogStart);
    put(92, datalogEnd);
    return map;
}

TEST(Controller, MemMapGivesTheDatalogSizeAndMarksUnknownPrograms)
{
    ScriptedBrick brick;
    RCXController& controller = brick.controller;
    std::uint8_t buffer[188];
    Bytes map = memMap(100, 116, {0, 2});
    brick.answer(0x20, [&map](const Command&) { return map; });
    controller.progName(1) = "mine";
    controller.readMemMap(buffer);
    EXPECT_EQ(Bytes(buffer, buffer + 188), map);
    EXPECT_EQ(controller.datalogSize(), 4);
    EXPECT_EQ(controller.progName(1), "mine") << "a named slot keeps its name";
    EXPECT_EQ(controller.progName(2), "");
    EXPECT_EQ(controller.progName(3), "Unknown");
    EXPECT_EQ(controller.progName(4), "");

    map = memMap(0x200, 0x200, {});
    controller.readMemMap(buffer);
    EXPECT_EQ(controller.datalogSize(), -1);
}

TEST(Controller, MemMapUnknownIsLocalized)
{
    ScriptedBrick brick;
    setLocalizer([](const std::string& key) { return key == "Unknown" ? "Inconnu" : key; });
    const Bytes map = memMap(0, 0, {4});
    brick.answer(0x20, [&map](const Command&) { return map; });
    std::uint8_t buffer[188];
    brick.controller.readMemMap(buffer);
    setLocalizer({});
    EXPECT_EQ(brick.controller.progName(5), "Inconnu");
}

TEST(Controller, AFailedMemMapReadNamesNoSlot)
{
    ScriptedBrick brick;
    brick.port.failWrites(5); // a tower error fails the read at once
    std::uint8_t buffer[188];
    std::fill(std::begin(buffer), std::end(buffer), 0x55);
    brick.controller.readMemMap(buffer);
    EXPECT_EQ(Bytes(buffer, buffer + 188), Bytes(188, 0));
    EXPECT_EQ(brick.controller.datalogSize(), -1);
    EXPECT_EQ(brick.listener.towerErrors, 1);
    for (int slot = 1; slot <= 5; ++slot)
        EXPECT_EQ(brick.controller.progName(slot), "");
}

TEST(Controller, DeletingEmptiesOnlyTheProgramName)
{
    ScriptedBrick brick;
    RCXController& controller = brick.controller;
    controller.selectProgram(2);
    controller.currentProgName() = "prog";
    controller.varName(2, 1) = "speed";
    controller.deleteCurrentProgram();
    EXPECT_EQ(controller.progName(2), "");
    EXPECT_EQ(controller.varName(2, 1), "speed");

    // After deletion a memory map whose first task is empty leaves it nameless.
    const Bytes map = memMap(0, 0, {});
    brick.answer(0x20, [&map](const Command&) { return map; });
    std::uint8_t buffer[188];
    controller.readMemMap(buffer);
    EXPECT_EQ(controller.progName(2), "");
}

TEST(Controller, SetDataLogStoresTheSizeOrReportsMemoryFull)
{
    ScriptedBrick brick;
    RecordingFileOp fileOp;
    brick.controller.setDataLog(0x1234, fileOp);
    EXPECT_EQ(brick.commands(), (std::vector<Command>{{0x52, 0x34, 0x12}}));
    EXPECT_EQ(brick.controller.datalogSize(), 0x1234);
    EXPECT_TRUE(fileOp.events.empty());

    brick.answer(0x52, [](const Command&) { return Bytes{1}; });
    brick.controller.setDataLog(50, fileOp);
    EXPECT_EQ(brick.controller.datalogSize(), 0x1234);
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"abort RCX memory full"}));
}

TEST(Controller, DatalogUsedIsTheHeaderValue)
{
    ScriptedBrick brick;
    brick.answer(0xA4, [](const Command&) { return Bytes{0xFF, 0x2E, 0x00}; });
    EXPECT_EQ(brick.controller.datalogUsed(), 46);
    brick.port.failWrites(5);
    EXPECT_EQ(brick.controller.datalogUsed(), 0);
}

TEST(Controller, MessagesComeFromTheLinkLayer)
{
    ScriptedBrick brick;
    EXPECT_EQ(brick.controller.getMessage(0, 0.2f), RCXPacket::noSuchMessage);
    brick.port.feed(framed({0xF7, 0x09}));
    EXPECT_TRUE(waitUntil([&] { return brick.packet.messagesReceived() == 1; }));
    EXPECT_EQ(brick.controller.getMessage(0, 0.2f), 9);
}

} // namespace
