// The controller against the virtual brick in the same process: what each
// operation does to the brick, what the brick's history shows on the wire,
// and the name tables after downloads, deletions and memory-map reads.
#include "ProgramFiles.h"
#include "VirtualBrick.h"

#include "sim/BrickControl.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const std::string fixtures = INFRABRICK_RCX_FIXTURES;

class BrickTest : public ::testing::Test {
protected:
    BrickState state() const { return virtualBrick.brick.snapshot(); }
    std::string control(const std::string& line) { return BrickControl(virtualBrick.brick).run(line); }
    int download(const ProgramFile& program, const std::string& name = "prog.rcx")
    {
        return controller.sendProgFile(folder.write(name, program.bytes()), fileOp);
    }

    VirtualBrick virtualBrick;
    RCXController& controller = virtualBrick.controller;
    RecordingFileOp fileOp;
    TemporaryFolder folder;
};

TEST_F(BrickTest, OutputsFollowTheSetOperationsAndReadBack)
{
    controller.setOutputsPower(5, 3);
    controller.setOutputsDirection(1, 0);
    controller.setOutputsOnOffFloat(5, 2);
    controller.setOutputsOnOffFloat(2, 1);
    const BrickState brick = state();
    EXPECT_EQ(brick.outputs[0].power, 2);
    EXPECT_EQ(brick.outputs[2].power, 2);
    EXPECT_EQ(brick.outputs[1].power, 7);
    EXPECT_FALSE(brick.outputs[0].forward);
    EXPECT_TRUE(brick.outputs[2].forward);
    EXPECT_EQ(brick.outputs[0].mode, OutputMode::On);
    EXPECT_EQ(brick.outputs[1].mode, OutputMode::Off);

    const OutputSettings a = controller.readOutputSettings(1);
    EXPECT_EQ(a.power, 3);
    EXPECT_EQ(a.direction, 0);
    EXPECT_EQ(a.onOffFloat, 2);
    const OutputSettings b = controller.readOutputSettings(2);
    EXPECT_EQ(b.power, 8);
    EXPECT_EQ(b.direction, 2);
    EXPECT_EQ(b.onOffFloat, 1);
    EXPECT_EQ(virtualBrick.listener.timeouts + virtualBrick.listener.towerErrors, 0);
}

TEST_F(BrickTest, SensorsFollowTypeModeAndSlope)
{
    controller.setSensorType(2, 3);
    controller.setSensorModeSlope(2, 4, 10);
    controller.setSensorMode(3, 7);
    const BrickState brick = state();
    EXPECT_EQ(brick.sensors[1].type, 3);
    EXPECT_EQ(brick.sensors[1].mode, 4);
    EXPECT_EQ(brick.sensors[1].slope, 10);
    EXPECT_EQ(brick.sensors[2].mode, 7);
    EXPECT_EQ(brick.sensors[2].slope, 0);
    const SensorSettings settings = controller.readSensorSettings(2);
    EXPECT_EQ(settings.type, 3);
    EXPECT_EQ(settings.rawMode, 0x8A);
    EXPECT_EQ(settings.mode, 4);
    EXPECT_EQ(settings.slope, 10);

    ASSERT_EQ(control("sensor 1 raw 700"), "ok");
    EXPECT_EQ(controller.readInput(1), 700);
}

TEST_F(BrickTest, VariablesWatchAndBattery)
{
    controller.writeVariable(5, -2);
    controller.writeVariable(31, 1000);
    EXPECT_EQ(state().variables[5], -2);
    EXPECT_EQ(controller.readVariable(5), -2);
    EXPECT_EQ(controller.readVariable(31), 1000);
    controller.setWatchTime(13, 45);
    EXPECT_EQ(state().watch, 13 * 60 + 45);
    ASSERT_EQ(control("battery 8123"), "ok");
    EXPECT_EQ(controller.readBatteryLevel(), 8123);
}

TEST_F(BrickTest, SlotsMessagesRemoteAndPower)
{
    controller.selectProgram(4);
    EXPECT_EQ(state().slot, 3);
    EXPECT_EQ(controller.syncProgNum(), 4);

    controller.sendMessage(77);
    EXPECT_EQ(state().messages, (std::vector<std::uint8_t>{77}));
    ASSERT_TRUE(virtualBrick.brick.sendMessage(9));
    ASSERT_TRUE(waitUntil([&] { return virtualBrick.packet.messagesReceived() == 1; }));
    EXPECT_EQ(controller.getMessage(0, 0.2f), 9);

    controller.sendRemoteCommand(0x0000);
    controller.sendRemoteCommand(0x0080);
    EXPECT_EQ(state().remote, (std::vector<std::uint16_t>{0x0000, 0x0080}));

    controller.powerOff();
    EXPECT_FALSE(state().powered);
    EXPECT_EQ(virtualBrick.listener.timeouts + virtualBrick.listener.towerErrors, 0);
}

TEST_F(BrickTest, ACommandTheBrickMissedNeverMakesTheNextOneARepeat)
{
    // The brick answers a command whose opcode byte equals the last one it
    // heard with its old reply: after a command lost in the air, the next
    // one with the same opcode must not be taken for a repeat.
    struct Case {
        const char* lost;
        std::function<void(RCXController&)> miss;
    };
    const Case cases[] = {
        {"a whole exchange", [](RCXController& c) { c.readInput(2); }},
        {"a command without reply", [](RCXController& c) { c.sendMessage(5); }},
        {"an exchange, then a command without reply", [](RCXController& c) { c.readInput(2), c.sendMessage(5); }},
    };
    for (int sensor = 0; sensor < 3; ++sensor)
        virtualBrick.brick.setSensorRaw(sensor, 100 * (sensor + 1));
    for (const Case& c : cases) {
        ASSERT_EQ(controller.readInput(1), 100) << c.lost;
        virtualBrick.brick.setNoise(1.0);
        c.miss(controller);
        virtualBrick.brick.setNoise(0.0);
        EXPECT_EQ(controller.readInput(3), 300) << c.lost;
        EXPECT_EQ(controller.readInput(1), 100) << c.lost;
    }
}

TEST_F(BrickTest, RunAndStopTheCurrentProgram)
{
    ASSERT_EQ(download(ProgramFile{.fragments = {{0, 0, codeOf(8)}}}), 0);
    controller.runCurrentProgram();
    EXPECT_TRUE(state().running());
    controller.stopProgram();
    EXPECT_FALSE(state().running());
}

TEST_F(BrickTest, TheDatalogIsSetUpMeasuredAndRefusedWhenTooLarge)
{
    controller.setDataLog(20, fileOp);
    EXPECT_EQ(state().datalog.size, 20);
    EXPECT_EQ(controller.datalogSize(), 20);
    ASSERT_EQ(control("datalog add 0x41 -5"), "ok");
    ASSERT_EQ(control("datalog add 0x03 7"), "ok");
    EXPECT_EQ(controller.datalogUsed(), 3);

    std::uint8_t map[RCXController::memMapLength];
    controller.setDataLog(0, fileOp);
    controller.readMemMap(map);
    EXPECT_EQ(controller.datalogSize(), -1) << "no datalog area";
    controller.setDataLog(300, fileOp);
    controller.readMemMap(map);
    EXPECT_EQ(controller.datalogSize(), 300);

    controller.setDataLog(5000, fileOp);
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"abort RCX memory full"}));
    EXPECT_EQ(controller.datalogSize(), 300);
    EXPECT_EQ(state().datalog.size, 300);
}

TEST_F(BrickTest, ProgramDownloadOnTheWire)
{
    controller.selectProgram(2);
    const Bytes task = codeOf(45, 1);
    const Bytes sub = codeOf(20, 2);
    virtualBrick.brick.clearHistory();
    ASSERT_EQ(download(ProgramFile{.fragments = {{0, 2, task}, {1, 5, sub}}}), 0);

    std::vector<int> opcodes;
    for (const Command& command : virtualBrick.commands())
        opcodes.push_back(command[0]);
    EXPECT_EQ(opcodes, (std::vector<int>{0x50, 0x40, 0x70, 0x25, 0x45, 0x45, 0x45, 0x35, 0x45, 0x51}));
    EXPECT_EQ(virtualBrick.commands()[3], (Command{0x25, 0, 2, 0, 45, 0}));
    EXPECT_EQ(virtualBrick.commands()[7], (Command{0x35, 0, 5, 0, 20, 0}));
    EXPECT_EQ(virtualBrick.blocks(), (std::vector<Block>{{1, Bytes(task.begin(), task.begin() + 20)},
                                                          {2, Bytes(task.begin() + 20, task.begin() + 40)},
                                                          {0, Bytes(task.begin() + 40, task.end())},
                                                          {0, sub}}));
    const BrickState brick = state();
    EXPECT_EQ(brick.programs[1].tasks[2], task);
    EXPECT_EQ(brick.programs[1].subs[5], sub);
    ASSERT_EQ(brick.played.size(), 1u);
    EXPECT_EQ(brick.played[0].sound, 5) << "the sound at the end";
    EXPECT_EQ(fileOp.increments, (std::vector<double>{20 * 100.0 / 90, 20 * 100.0 / 90, 5 * 100.0 / 90, 50}));
}

TEST_F(BrickTest, RefusedBlocksAreSentAgainUntilTheTenth)
{
    const Bytes code = codeOf(30);
    ASSERT_EQ(control("refuse-blocks 2"), "ok");
    ASSERT_EQ(download(ProgramFile{.fragments = {{0, 0, code}}}), 0);
    const Block first = {1, Bytes(code.begin(), code.begin() + 20)};
    EXPECT_EQ(virtualBrick.blocks(), (std::vector<Block>{first, first, first, {0, Bytes(code.begin() + 20, code.end())}}));
    EXPECT_EQ(state().programs[0].tasks[0], code);

    virtualBrick.brick.clearHistory();
    fileOp.events.clear();
    ASSERT_EQ(control("refuse-blocks 10"), "ok");
    EXPECT_EQ(download(ProgramFile{.fragments = {{0, 0, code}}}), 1);
    EXPECT_EQ(virtualBrick.blocks(), std::vector<Block>(10, first));
    EXPECT_EQ(fileOp.events.back(), "abort Too many download errors");
    EXPECT_EQ(virtualBrick.commands().back()[0], 0x45) << "nothing after the tenth refusal";
}

TEST_F(BrickTest, AProgramTooLargeForTheBrickIsMemoryFull)
{
    EXPECT_EQ(download(ProgramFile{.fragments = {{0, 0, codeOf(7000)}}}), 1);
    EXPECT_EQ(fileOp.events.back(), "abort RCX memory full");
    EXPECT_EQ(download(ProgramFile{.fragments = {{0, 10, codeOf(4)}}}), 1);
    EXPECT_EQ(fileOp.events.back(), "abort File \"prog.rcx\" contains an illegal task number");
}

TEST_F(BrickTest, NamesAfterDownloadsDeletionsAndMemoryMaps)
{
    controller.selectProgram(1);
    ASSERT_EQ(controller.sendProgFile(fixtures + "/tasks.rcx", fileOp), 0);
    controller.selectProgram(2);
    ASSERT_EQ(controller.sendProgFile(fixtures + "/blink.rcx", fileOp), 0);
    EXPECT_EQ(controller.progName(1), "tasks");
    EXPECT_EQ(controller.progName(2), "blink");
    EXPECT_EQ(controller.varName(2, 0), "count");

    std::uint8_t map[RCXController::memMapLength];
    controller.readMemMap(map);
    EXPECT_EQ(controller.progName(1), "tasks") << "named slots keep their names";

    controller.deleteCurrentProgram();
    EXPECT_EQ(controller.progName(2), "");
    EXPECT_EQ(controller.varName(2, 0), "count") << "only the program name goes";
    EXPECT_TRUE(state().programs[1].tasks[0].empty());
    controller.readMemMap(map);
    EXPECT_EQ(controller.progName(2), "") << "its first task is empty now";

    // A controller that starts afresh knows no names: occupied slots are
    // "Unknown".
    RCXController fresh(virtualBrick.sender, virtualBrick.packet);
    fresh.readMemMap(map);
    EXPECT_EQ(fresh.progName(1), "Unknown");
    for (int slot = 2; slot <= 5; ++slot)
        EXPECT_EQ(fresh.progName(slot), "") << slot;
}

TEST_F(BrickTest, DatalogExportFromTheBrick)
{
    controller.setDataLog(50, fileOp);
    controller.varName(1, 3) = "speed";
    for (const char* entry : {"0x03 120", "0x04 -7", "0x20 0", "0x41 -5", "0x80 754", "0x82 1", "0x62 9"})
        ASSERT_EQ(control(std::string("datalog add ") + entry), "ok") << entry;
    virtualBrick.brick.clearHistory();
    controller.saveDatalogFile(folder.path("log.txt"), fileOp);
    const Bytes text = folder.read("log.txt");
    EXPECT_EQ(std::string(text.begin(), text.end()),
              "Variable 3: speed\t120\nVariable 4\t-7\nTimer 0\t0\nSensor 2\t-5\nWatch \t754\nWatch 2\t1\n"
              "Unknown 3,2\t9\n");
    EXPECT_EQ(virtualBrick.commands(),
              (std::vector<Command>{{0xA4, 0, 0, 1, 0}, {0xA4, 1, 0, 7, 0}, {0x51, 5}}));
    EXPECT_EQ(fileOp.increments, (std::vector<double>{7 * 100.0 / 8}));
    EXPECT_EQ(fileOp.events.back(), "stop");
}

TEST_F(BrickTest, FirmwareIntoABrickWithoutOne)
{
    VirtualBrick bare(false);
    std::string text;
    // 150 bytes holding the signature the brick's loader looks for.
    std::string data = "Do you byte, when I knock?";
    data.resize(150, '\x5A');
    for (std::size_t offset = 0; offset < data.size(); offset += 30) {
        char line[80];
        int sum = 33 + 0x80 + static_cast<int>(offset);
        int end = std::snprintf(line, sizeof line, "S121%04X", static_cast<unsigned>(0x8000 + offset));
        for (std::size_t i = offset; i < offset + 30; ++i) {
            sum += static_cast<std::uint8_t>(data[i]);
            end += std::snprintf(line + end, sizeof line - end, "%02X", static_cast<std::uint8_t>(data[i]));
        }
        std::snprintf(line + end, sizeof line - end, "%02X\n", ~sum & 0xFF);
        text += line;
    }
    text += "S9038000\n";
    bare.controller.sendFirmware(folder.write("fw.lgo", text), fileOp);
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Installing firmware file \"fw.lgo\"", "stop"}));
    const FirmwareState firmware = bare.brick.snapshot().firmware;
    EXPECT_EQ(std::string(firmware.image.begin(), firmware.image.end()), data);
    EXPECT_TRUE(firmware.present && firmware.unlocked);
    std::vector<int> opcodes;
    for (const Command& command : bare.commands())
        opcodes.push_back(command[0]);
    EXPECT_EQ(opcodes, (std::vector<int>{0x65, 0x75, 0x45, 0x45, 0xA5}));
    EXPECT_EQ(bare.blocks()[0].index, 1);
    EXPECT_EQ(bare.blocks()[1].index, 0);
    EXPECT_EQ(fileOp.increments, (std::vector<double>{100.0 * 100 / 150, 50.0 * 100 / 150}));
    EXPECT_EQ(bare.listener.timeouts + bare.listener.towerErrors, 0);
}

} // namespace
