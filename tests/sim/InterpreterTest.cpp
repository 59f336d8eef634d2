// The byte-code interpreter on hand-assembled code under the manual clock.
#include "sim/Brick.h"
#include "sim/Scheduler.h"
#include "support/Bytes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Variable instruction `opcode` (0x14 set, 0x24 add, ...) with a constant.
Bytes variable(std::uint8_t opcode, int index, int value) { return Bytes{opcode, static_cast<std::uint8_t>(index), 2} + word(value); }

Bytes add(int index, int value) { return variable(0x24, index, value); }

class InterpreterTest : public ::testing::Test {
protected:
    InterpreterTest() { brick.setTransmitter([this](const ByteString& bytes, const LineSettings&) { sent = sent + bytes; }); }

    // Sends a command, its toggle bit flipped each time so that none is a repeat.
    void command(Bytes bytes)
    {
        toggle ^= 0x08;
        bytes[0] |= toggle;
        brick.receive(framed(bytes));
    }
    // Loads code as task (0x25) or subroutine (0x35) `number`, 200 bytes a block.
    void load(std::uint8_t opcode, int number, const Bytes& code)
    {
        command(Bytes{opcode, 0, static_cast<std::uint8_t>(number), 0} + word(int(code.size())));
        std::size_t at = 0;
        for (int block = 1; at + 200 < code.size(); at += 200, ++block)
            command(::block(0x45, block, Bytes(code.begin() + at, code.begin() + at + 200)));
        command(::block(0x45, 0, Bytes(code.begin() + at, code.end())));
    }
    // Loads and starts task 0, then lets time pass.
    void run(const Bytes& task0, int milliseconds)
    {
        load(0x25, 0, task0);
        command({0x71, 0});
        sent.clear();
        brick.advance(milliseconds);
    }
    int value(int index) { return brick.snapshot().variables[static_cast<std::size_t>(index)]; }
    bool answersAlive()
    {
        sent.clear();
        command({0x10});
        return sent == framed({static_cast<std::uint8_t>(~(0x10 | toggle))});
    }

    Brick brick{true, BrickClock::Kind::Manual};
    Bytes sent;
    std::uint8_t toggle = 0;
};

TEST_F(InterpreterTest, ArithmeticFollowsTheFirmwares16BitRules)
{
    const struct { std::uint8_t opcode; int start, operand, result; } cases[] = {
        {0x24, 32767, 1, -32768}, {0x34, -32768, 1, 32767}, {0x54, 300, 300, 24464}, {0x44, -7, 2, -3},
        {0x44, 7, 0, 7} /* division by zero leaves it */, {0x44, -32768, -1, -32768}, {0x74, 0, -32768, 32767},
        {0x74, 0, -5, 5}, {0x64, 0, -32768, -1}, {0x64, 9, 0, 0}, {0x64, 0, 12, 1}, {0x84, 0x0F0F, 0x00FF, 0x000F},
        {0x94, 0x0F00, 0x00F0, 0x0FF0},
    };
    Bytes code;
    for (int i = 0; i < 13; ++i)
        code = code + variable(0x14, i, cases[i].start) + variable(cases[i].opcode, i, cases[i].operand);
    run(code, 50);
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(value(i), cases[i].result) << std::hex << int(cases[i].opcode) << std::dec << " on " << cases[i].start;
}

TEST_F(InterpreterTest, TestsBranchesLoopsAndSubroutinesCountAsListed)
{
    // 26 increments: 130 bytes, more than a signed byte reaches.
    Bytes body;
    for (int i = 0; i < 26; ++i)
        body = body + add(0, 1);
    struct Flow { std::string name; Bytes code; int count; };
    std::vector<Flow> cases = {
        // Add; leave when it is 3 (near test, 0x85); else back (0x27, -13).
        {"near branch back", add(0, 1) + Bytes{0x85, 0xC2, 0x00} + word(3) + Bytes{0x00, 3, 0x27, 0x8D}, 3},
        {"far branch back", add(0, 1) + Bytes{0x85, 0xC2, 0x00} + word(3) + Bytes{0x00, 4, 0x72, 0x8D, 0x00}, 3},
        {"far branch forward", Bytes{0x72, 0x07, 0x00} + variable(0x14, 0, 9) + add(0, 2), 2},
        // Count down variable 1 from 3, back while it is not 0 (0x95, -16).
        {"far test back", variable(0x14, 1, 3) + add(0, 1) + variable(0x34, 1, 1) + Bytes{0x95, 0x82, 0x00} + word(0) +
                              Bytes{0x01} + word(-16), 3},
        // Loop counter 2 around 26 increments, then add 100 (0x37: 0 to 255 forward; 0x92: 16 bits).
        {"near loop counter", Bytes{0x82, 0x02, 0x02, 0x37, 134} + body + Bytes{0x72, 0x85, 0x01} + add(0, 100), 152},
        {"far loop counter", Bytes{0x82, 0x02, 0x02, 0x92} + word(135) + body + Bytes{0x72, 0x86, 0x01} + add(0, 100), 152},
        // Variable 1 from 3: decrement, leave when negative (0xF2).
        {"decrement and branch", variable(0x14, 1, 3) + Bytes{0xF2, 0x01, 0x08} + add(0, 1) + Bytes{0x27, 0x89}, 3},
        // Jump over the add of 10 to the far decrement, which branches back to it when negative.
        {"far decrement and branch back", Bytes{0x27, 0x08} + add(0, 10) + Bytes{0x27, 0x0F} + variable(0x14, 1, 0) + Bytes{0xF3, 0x01, 0x8E, 0x00} +
                                              add(0, 100), 10},
        {"nested loop counters", Bytes{0x82, 0x02, 0x03, 0x37, 15, 0x82, 0x02, 0x02, 0x37, 8} + add(0, 1) +
                                     Bytes{0x27, 0x88, 0x27, 0x8F}, 6},
        // Subroutine 0 adds 1; 1 adds 10 and returns (0xF6) before adding 100.
        {"subroutines", {0x17, 0x00, 0x17, 0x01, 0x17, 0x00}, 12},
        // Subroutine 2 calls itself: the ninth call of a chain is skipped.
        {"recursion", {0x17, 0x02}, 8},
    };
    // Tests of conditions 0 <=, 1 >=, 2 != and 3 ==: a branch skips the set.
    const int tests[][4] = {{0, 3, 5, 1}, {0, 3, 3, 1}, {0, 5, 3, 0}, {0, -1, 0, 1}, {1, 5, 3, 1}, {1, 3, 3, 1},
                            {1, 2, 3, 0}, {2, 3, 3, 0}, {2, 3, 4, 1}, {3, 3, 3, 1}, {3, 3, 4, 0}};
    for (const auto& [condition, first, second, branches] : tests)
        cases.push_back({"test " + std::to_string(condition) + " on " + std::to_string(first) + ", " + std::to_string(second),
                         Bytes{0x85, static_cast<std::uint8_t>(condition << 6 | 2), 0x02} + word(first) +
                             Bytes{static_cast<std::uint8_t>(second), 5} + variable(0x14, 0, 1), branches ? 0 : 1});
    for (const auto& c : cases) {
        command({0x14, 0, 2, 0, 0});
        load(0x35, 0, add(0, 1));
        load(0x35, 1, add(0, 10) + Bytes{0xF6} + add(0, 100));
        load(0x35, 2, Bytes{0x17, 0x02} + add(0, 1));
        run(c.code, 200);
        EXPECT_EQ(value(0), c.count) << c.name;
        EXPECT_FALSE(brick.snapshot().running()) << c.name;
    }
}

TEST_F(InterpreterTest, EveryInstructionLeavesTheNextOneWhereItBegins)
{
    // Each instruction, then one that counts; flow control goes on where it may.
    const std::vector<Bytes> instructions = {
        {0x02, 0, 10}, {0x03, 2, 0, 0}, {0x04, 0, 1, 1, 1}, {0x05, 0, 1, 2, 5, 0}, {0x06}, {0x13, 1, 2, 3}, {0x14, 2, 2, 7, 0},
        {0x21, 0x81}, {0x22, 10, 20}, {0x23, 0x70, 0x01, 5}, {0x24, 2, 2, 1, 0}, {0x31, 1}, {0x32, 0, 1}, {0x33, 2, 1, 0},
        {0x34, 2, 2, 1, 0}, {0x42, 0, 0x20}, {0x44, 2, 2, 1, 0}, {0x51, 1}, {0x52, 5, 0}, {0x54, 2, 2, 1, 0}, {0x62, 0, 2},
        {0x64, 2, 2, 1, 0}, {0x67, 0x81}, {0x74, 2, 2, 1, 0}, {0x77, 0x81}, {0x80}, {0x84, 2, 2, 1, 0}, {0x90}, {0x93, 0, 0, 0},
        {0x94, 2, 2, 1, 0}, {0x97, 0}, {0xA1, 0}, {0xA3, 1, 2, 7}, {0xA7, 0}, {0xB1, 5}, {0xB2, 2, 3}, {0xB7, 0}, {0xC2, 0, 0},
        {0xD0}, {0xD1, 0}, {0xE0}, {0xE1, 0x81}, {0xE5, 0, 2, 2, 0, 0}, {0x17, 0}, {0x27, 1}, {0x82, 2, 2}, {0x37, 1},
        {0x82, 2, 2}, {0x92, 2, 0}, {0x43, 2, 1, 0}, {0x71, 1}, {0x72, 2, 0}, {0x73, 1, 2, 0}, {0xA0}, {0x81, 1},
        {0x85, 0x82, 2, 0, 0, 0, 1}, {0x95, 0x82, 2, 0, 0, 0, 2, 0}, {0xB4, 2, 0, 0, 1}, {0xB0}, {0xB5, 2, 0, 0, 2, 0}, {0xB0},
        {0xD7, 3}, {0xF2, 2, 1}, {0xF3, 1, 2, 0},
    };
    Bytes code;
    for (const Bytes& instruction : instructions)
        code = code + instruction + add(0, 1);
    load(0x35, 0, {});
    run(code, 500);
    EXPECT_EQ(value(0), int(instructions.size()));
    EXPECT_FALSE(brick.snapshot().unknownOpcode.has_value());
}

TEST_F(InterpreterTest, WaitsTimersTasksAndSourcesRunByTheClock)
{
    // Tasks 1 and 2 count forever with their own variable 32; task 0 waits 1.23 s, reads timer 0 in
    // tenths and hundredths, variable 7 through 5 (source 36), a random number to 10, counter 1 up twice, the slot.
    load(0x25, 1, variable(0x14, 32, 1) + add(1, 1) + Bytes{0x27, 0x86});
    load(0x25, 2, variable(0x14, 32, 2) + add(2, 1) + Bytes{0x27, 0x86});
    run(variable(0x14, 32, 7) + Bytes{0x71, 1, 0x71, 2, 0x43, 0x02} + word(123) +
            Bytes{0x14, 0, 1, 0, 0, 0x14, 3, 26, 0, 0, 0x14, 4, 0, 32, 0} + variable(0x14, 5, 7) +
            Bytes{0x05, 36, 5, 2} + word(42) + Bytes{0x14, 6, 36, 5, 0, 0x14, 8, 4, 10, 0, 0x97, 1, 0x97, 1, 0x14, 9, 21, 1, 0,
                                                   0x14, 10, 8, 0, 0}, 1230);
    EXPECT_EQ(value(0), 0);
    brick.advance(1);
    EXPECT_EQ(brick.snapshot().time, 1231);
    EXPECT_EQ((std::vector{value(0), value(3)}), (std::vector{12, 123}));
    brick.advance(10);
    EXPECT_EQ((std::vector{value(4), value(7), value(6), value(9), value(10)}), (std::vector{7, 42, 42, 2, 0}));
    EXPECT_TRUE(value(8) >= 0 && value(8) <= 10) << value(8);
    EXPECT_EQ(brick.snapshot().runningTasks(), (std::vector<int>{1, 2}));
    EXPECT_GT(value(1), 100);
    EXPECT_EQ(value(1), value(2)) << "fair turns";
    EXPECT_TRUE(answersAlive());
    command({0x81, 1});
    brick.advance(10);
    EXPECT_EQ(brick.snapshot().runningTasks(), (std::vector<int>{2}));
    command({0x50});
    EXPECT_FALSE(brick.snapshot().running());
}

TEST_F(InterpreterTest, BadCodeStopsItsTaskOnlyAndNeverHoldsTheBrick)
{
    load(0x25, 1, {0x27, 0x81});
    run(Bytes{0x71, 1} + add(0, 1) + Bytes{0x01} + add(0, 1), 10);
    const BrickState state = brick.snapshot();
    EXPECT_EQ(value(0), 1);
    ASSERT_TRUE(state.unknownOpcode.has_value());
    EXPECT_EQ((std::vector{state.unknownOpcode->task, state.unknownOpcode->at.pc, int(state.unknownOpcode->opcode)}), (std::vector{0, 7, 1}));
    EXPECT_EQ(state.runningTasks(), (std::vector<int>{1}));
    std::mt19937 random(15);
    for (int round = 0; round < 30; ++round) {
        for (std::uint8_t opcode : {0x25, 0x35})
            for (int number = 0; number < 8; ++number) {
                Bytes code(random() % 64);
                for (std::uint8_t& byte : code)
                    byte = static_cast<std::uint8_t>(random());
                load(opcode, number, code);
            }
        for (std::uint8_t task = 0; task < 8; ++task)
            command({0x71, task});
        brick.advance(50);
        brick.powerOn(); // in case the garbage held a power off
        ASSERT_TRUE(answersAlive()) << "round " << round;
        command({0x91, 0});
    }
}

TEST_F(InterpreterTest, TheDatalogTakesVariablesTimersSensorsAndTheWatchOnly)
{
    // Variable 32 is a task's own and has no datalog type.
    command({0x52, 5, 0});
    run(variable(0x14, 32, 7) + variable(0x14, 31, 8) + Bytes{0x62, 0, 31, 0x62, 1, 3, 0x62, 0, 32, 0x62, 9, 3, 0x62, 14, 1}, 10);
    std::vector<int> types;
    for (const auto& entry : brick.snapshot().datalog.entries)
        types.push_back(entry.type);
    EXPECT_EQ(types, (std::vector<int>{31, 0x23}));
}

TEST_F(InterpreterTest, TheHostsInstructionsActOutsideAnyTaskAndTheRemoteStartsPrograms)
{
    // A sensor's type sets its default mode, from the host or a program.
    const std::uint8_t modes[] = {0x00, 0x20, 0xA0, 0x80, 0xE0};
    for (std::uint8_t type = 0; type < 5; ++type) {
        command({0x42, 0, 0x45});
        command({0x32, 0, type});
        run({0x42, 1, 0x45, 0x32, 1, type}, 1);
        EXPECT_EQ(std::pair(brick.snapshot().sensors[0].modeByte(), brick.snapshot().sensors[1].modeByte()), std::pair(modes[type], modes[type]));
    }
    brick.setSensorRaw(2, 100);
    command({0x14, 12, 13, 2, 0}); // variable 12 = sensor 3's boolean, pressed
    // Two adds, a tone, a watch time and two refused ones.
    for (const Bytes& given : {add(4, 5), add(4, 5), Bytes{0x23} + word(880) + Bytes{20}, Bytes{0x22, 1, 2}, Bytes{0x22, 24, 0}, Bytes{0x22, 0, 60}})
        command(given);
    EXPECT_EQ(brick.snapshot().watch, 62);
    const Played tone = brick.snapshot().played.back();
    EXPECT_EQ(std::tuple(value(4), value(12), tone.frequency, tone.duration), std::tuple(10, 1, 880, 20));
    sent.clear();
    for (const Bytes& refused : {Bytes{0x27, 0x00}, Bytes{0x33, 2, 8, 0}, Bytes{0x13, 1, 1, 9}}) // flow control; display 8; timer 9
        command(refused);
    EXPECT_TRUE(sent.empty());
    // A display that exists; power above 7 kept at 7; a muted brick plays nothing.
    command({0x33, 2, 3, 0});
    EXPECT_EQ(std::pair(brick.snapshot().display, sent.empty()), std::pair(3, false));
    sent.clear();
    for (const Bytes& given : {Bytes{0x13, 1, 2, 9}, Bytes{0x31, 1}}) // the second: the long range
        command(given);
    EXPECT_EQ(std::tuple(brick.snapshot().outputs[0].power, brick.snapshot().transmitterRange, sent.size()), std::tuple(7, 1, 14u));
    const std::size_t played = brick.snapshot().played.size();
    for (const Bytes& sound : {Bytes{0xD0}, Bytes{0x51, 1}, Bytes{0xE0}, Bytes{0x51, 2}})
        command(sound);
    EXPECT_EQ(std::pair(brick.snapshot().played.size(), brick.snapshot().played.back().sound), std::pair(played + 1, 2));
    // The remote's program 5 (the last) and message 2 buttons.
    command({0x91, 4});
    load(0x25, 0, variable(0x14, 11, 5));
    command({0x91, 0});
    brick.receive(framed({0xD2, 0x20, 0x02}));
    brick.advance(1);
    command({0x91, 5}); // no such slot
    EXPECT_EQ((std::vector<int>{brick.snapshot().slot, value(11), brick.snapshot().lastMessage}), (std::vector{4, 5, 2}));
    brick.receive(framed({0xD2, 0x00, 0x04})); // the message 3 button, the last
    EXPECT_EQ(brick.snapshot().lastMessage, 3);
}

TEST(WallClock, TheSchedulerRunsTheProgramWhileNobodyTalks)
{
    Brick brick;
    Scheduler scheduler(brick);
    const Bytes forever = add(0, 1) + Bytes{0x27, 0x86};
    for (const Bytes& command : {Bytes{0x25, 0, 0, 0} + word(7), block(0x45, 0, forever), Bytes{0x71, 0}})
        brick.receive(framed(command));
    EXPECT_TRUE(waitUntil([&] { return brick.snapshot().variables[0] > 1000; }));
}

} // namespace
