// The byte-code interpreter, on hand-assembled code under the manual clock:
// 16-bit arithmetic, every branch and offset form, loops, sources, tasks and
// subroutines, waits, events and access control, and bad code.
#include "sim/Brick.h"
#include "sim/Scheduler.h"
#include "support/ScriptedPort.h"

#include <gtest/gtest.h>

#include <numeric>
#include <ostream>
#include <random>

namespace {

// A constant operand, low byte first.
Bytes word(int value)
{
    return {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8 & 0xFF)};
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Variable instruction `opcode` (0x14 set, 0x24 add, ...) with a constant.
Bytes variable(std::uint8_t opcode, int index, int value)
{
    return join({{opcode, static_cast<std::uint8_t>(index), 2}, word(value)});
}

Bytes set(int index, int value)
{
    return variable(0x14, index, value);
}

Bytes add(int index, int value)
{
    return variable(0x24, index, value);
}

// A brick on the manual clock whose programs are loaded and run by the
// host's commands, as a host would.
class InterpreterTest : public ::testing::Test {
protected:
    InterpreterTest() { brick.setTransmitter([this](const ByteString& bytes) { sent.insert(sent.end(), bytes.begin(), bytes.end()); }); }

    // Sends a command, its toggle bit flipped each time so that none is
    // taken for a repeat.
    void command(Bytes bytes)
    {
        toggle ^= 0x08;
        bytes[0] |= toggle;
        brick.receive(framed(bytes));
    }
    // Loads code as task (0x25) or subroutine (0x35) `number`.
    void load(std::uint8_t opcode, int number, const Bytes& code)
    {
        command(join({{opcode, 0, static_cast<std::uint8_t>(number), 0}, word(static_cast<int>(code.size()))}));
        const auto sum = static_cast<std::uint8_t>(std::accumulate(code.begin(), code.end(), 0));
        command(join({{0x45, 0, 0}, word(static_cast<int>(code.size())), code, {sum}}));
    }
    // Loads and starts task 0, then lets time pass; `sent` holds what the
    // program sent.
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

struct Arithmetic {
    std::uint8_t opcode;
    int start;
    int operand;
    int result;
};

void PrintTo(const Arithmetic& c, std::ostream* out)
{
    *out << "opcode " << std::hex << int(c.opcode) << std::dec << " on " << c.start << " with " << c.operand;
}

class ArithmeticTest : public InterpreterTest, public ::testing::WithParamInterface<Arithmetic> {};

TEST_P(ArithmeticTest, FollowsTheFirmwares16BitRules)
{
    const Arithmetic& c = GetParam();
    run(join({set(0, c.start), variable(c.opcode, 0, c.operand)}), 1);
    EXPECT_EQ(value(0), c.result);
}

INSTANTIATE_TEST_SUITE_P(Operations, ArithmeticTest,
    ::testing::Values(Arithmetic{0x24, 32767, 1, -32768}, Arithmetic{0x34, -32768, 1, 32767},
        Arithmetic{0x54, 300, 300, 24464}, Arithmetic{0x44, -7, 2, -3},
        Arithmetic{0x44, 7, 0, 7},          // division by zero leaves the variable
        Arithmetic{0x44, -32768, -1, -32768}, Arithmetic{0x74, 0, -32768, 32767}, Arithmetic{0x74, 0, -5, 5},
        Arithmetic{0x64, 0, -32768, -1}, Arithmetic{0x64, 9, 0, 0}, Arithmetic{0x64, 0, 12, 1},
        Arithmetic{0x84, 0x0F0F, 0x00FF, 0x000F}, Arithmetic{0x94, 0x0F00, 0x00F0, 0x0FF0}));

// Programs whose branches, loops and tests leave their count in variable 0.
struct Flow {
    const char* name;
    Bytes code;
    int count;
};

std::vector<Flow> flows()
{
    // 26 increments: 130 bytes, more than a signed byte reaches.
    Bytes body;
    for (int i = 0; i < 26; ++i)
        body = join({body, add(0, 1)});
    return {
        // Add; leave when it is 3 (near test, 0x85); else back (0x27, -13).
        {"near branch back", join({add(0, 1), {0x85, 0xC2, 0x00}, word(3), {0x00, 3}, {0x27, 0x8D}}), 3},
        // The same back with a far branch (0x72, 7 bits and a byte, -13).
        {"far branch back", join({add(0, 1), {0x85, 0xC2, 0x00}, word(3), {0x00, 4}, {0x72, 0x8D, 0x00}}), 3},
        // A far branch forward over a set: the set never runs.
        {"far branch forward", join({{0x72, 0x07, 0x00}, set(0, 9), add(0, 2)}), 2},
        // Count down variable 1 from 3, back while it is not 0 (0x95, -16).
        {"far test back",
            join({set(1, 3), add(0, 1), variable(0x34, 1, 1), {0x95, 0x82, 0x00}, word(0), {0x01}, word(-16)}), 3},
        // Loop counter 2 around 26 increments, then add 100; the exit offset
        // is 134 (0x37 counts 0 to 255 forward).
        {"near loop counter", join({{0x82, 0x02, 0x02, 0x37, 134}, body, {0x72, 0x85, 0x01}, add(0, 100)}), 152},
        // The same with a far loop counter (0x92, a 16-bit offset).
        {"far loop counter", join({{0x82, 0x02, 0x02, 0x92}, word(135), body, {0x72, 0x86, 0x01}, add(0, 100)}), 152},
        // Variable 1 from 3: decrement, leave when negative (0xF2).
        {"decrement and branch", join({set(1, 3), {0xF2, 0x01, 0x08}, add(0, 1), {0x27, 0x89}}), 3},
        // Loops nest: 3 times 2.
        {"nested loop counters",
            join({{0x82, 0x02, 0x03, 0x37, 15, 0x82, 0x02, 0x02, 0x37, 8}, add(0, 1), {0x27, 0x88, 0x27, 0x8F}}), 6},
        // Subroutine 0 adds 1 at the end of its code, subroutine 1 adds 10
        // and returns (0xF6) before adding 100.
        {"subroutines", {0x17, 0x00, 0x17, 0x01, 0x17, 0x00}, 12},
    };
}

void PrintTo(const Flow& flow, std::ostream* out)
{
    *out << flow.name;
}

class FlowTest : public InterpreterTest, public ::testing::WithParamInterface<Flow> {};

TEST_P(FlowTest, CountsAsListed)
{
    load(0x35, 0, add(0, 1));
    load(0x35, 1, join({add(0, 10), {0xF6}, add(0, 100)}));
    run(GetParam().code, 200);
    EXPECT_EQ(value(0), GetParam().count);
    EXPECT_FALSE(brick.snapshot().running());
}

INSTANTIATE_TEST_SUITE_P(Forms, FlowTest, ::testing::ValuesIn(flows()),
    [](const ::testing::TestParamInfo<Flow>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

struct Comparison {
    int condition;
    int first;
    int second;
    bool branches;
};

void PrintTo(const Comparison& c, std::ostream* out)
{
    *out << "condition " << c.condition << " on " << c.first << ", " << c.second;
}

class ComparisonTest : public InterpreterTest, public ::testing::WithParamInterface<Comparison> {};

TEST_P(ComparisonTest, BranchesWhenTheConditionHolds)
{
    const Comparison& c = GetParam();
    // Test the constants; branching skips the set.
    run(join({{0x85, static_cast<std::uint8_t>(c.condition << 6 | 2), 0x02}, word(c.first),
            {static_cast<std::uint8_t>(c.second), 5}, set(0, 1)}),
        1);
    EXPECT_EQ(value(0), c.branches ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Conditions, ComparisonTest,
    ::testing::Values(Comparison{0, 3, 5, true}, Comparison{0, 5, 3, false}, Comparison{0, -1, 0, true},
        Comparison{1, 5, 3, true}, Comparison{1, 3, 3, true}, Comparison{1, 2, 3, false},
        Comparison{2, 3, 3, false}, Comparison{2, 3, 4, true}, Comparison{3, 3, 3, true},
        Comparison{3, 3, 4, false}));

TEST_F(InterpreterTest, WaitsAndTimersFollowTheManualClockExactly)
{
    // Wait 1.23 s, then read timer 0 in tenths and in hundredths.
    run(join({{0x43, 0x02}, word(123), {0x14, 0, 1, 0, 0, 0x14, 1, 26, 0, 0}}), 1230);
    EXPECT_EQ(value(0), 0);
    brick.advance(1);
    EXPECT_EQ(value(0), 12);
    EXPECT_EQ(value(1), 123);
    EXPECT_EQ(brick.snapshot().time, 1231);
}

TEST_F(InterpreterTest, TasksTakeFairTurnsAndEachHasItsOwnLocals)
{
    // Tasks 1 and 2 each count forever; task 0 starts them, keeps its own
    // variable 32 and ends.
    const Bytes forever = {0x27, 0x86};
    load(0x25, 1, join({set(32, 1), add(1, 1), forever}));
    load(0x25, 2, join({set(32, 2), add(2, 1), forever}));
    run(join({set(32, 7), {0x71, 1, 0x71, 2}, {0x14, 3, 0, 32, 0}}), 100);
    const BrickState state = brick.snapshot();
    EXPECT_EQ(state.runningTasks(), (std::vector<int>{1, 2}));
    EXPECT_EQ(value(3), 7);
    EXPECT_GT(value(1), 100);
    EXPECT_EQ(value(1), value(2));
    EXPECT_TRUE(answersAlive());

    command({0x81, 1});
    brick.advance(10);
    EXPECT_EQ(brick.snapshot().runningTasks(), (std::vector<int>{2}));
    command({0x50});
    EXPECT_FALSE(brick.snapshot().running());
}

TEST_F(InterpreterTest, SourcesReadAndWriteWhatTheyName)
{
    // Variable 5 names variable 7: set it through 5 (0x05 to source 36),
    // read it back; a random number up to 10; counter 1 up twice; the
    // program slot.
    run(join({set(5, 7), {0x05, 36, 5, 2}, word(42), {0x14, 0, 36, 5, 0}, {0x14, 1, 4, 10, 0},
            {0x97, 1, 0x97, 1, 0x14, 2, 21, 1, 0, 0x14, 3, 8, 0, 0}}),
        10);
    EXPECT_EQ(value(7), 42);
    EXPECT_EQ(value(0), 42);
    EXPECT_GE(value(1), 0);
    EXPECT_LE(value(1), 10);
    EXPECT_EQ(value(2), 2);
    EXPECT_EQ(value(3), 0);
}

TEST_F(InterpreterTest, AnUnknownOpcodeStopsItsTaskOnly)
{
    load(0x25, 1, {0x27, 0x81});
    run(join({{0x71, 1}, add(0, 1), {0x01}, add(0, 1)}), 10);
    const BrickState state = brick.snapshot();
    EXPECT_EQ(value(0), 1);
    ASSERT_TRUE(state.unknownOpcode.has_value());
    EXPECT_EQ(state.unknownOpcode->task, 0);
    EXPECT_EQ(state.unknownOpcode->at.pc, 7);
    EXPECT_EQ(state.unknownOpcode->opcode, 0x01);
    EXPECT_EQ(state.runningTasks(), (std::vector<int>{1}));
    EXPECT_TRUE(answersAlive());
}

TEST_F(InterpreterTest, GarbageCodeNeverHoldsTheBrick)
{
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

TEST_F(InterpreterTest, MessagesGoOutAsMessagePackets)
{
    run({0xB2, 0x02, 42}, 1);
    EXPECT_EQ(sent, framed({0xF7, 42}));
    EXPECT_EQ(brick.snapshot().sent, (std::vector<std::uint8_t>{42}));
}

TEST_F(InterpreterTest, AMonitorLeavesItsBodyWhenItsEventOccurs)
{
    // Event 0: sensor 1 pressed; monitor it around a loop; the handler sets
    // variable 0.
    run({0x93, 0, 0, 0, 0xB4, 0x02, 0x01, 0x00, 3, 0x27, 0x81, 0x14, 0, 2, 1, 0}, 10);
    EXPECT_TRUE(brick.snapshot().running());
    brick.setSensorRaw(0, 100);
    brick.advance(2);
    EXPECT_EQ(value(0), 1);
    EXPECT_EQ(brick.snapshot().tasks[0].activeEvents, 1);
}

TEST_F(InterpreterTest, AHigherPriorityTakesAResourceAndTheHolderGoesToItsHandler)
{
    // Priority 5, acquire output A, loop; on losing it set variable 0.
    const Bytes holder = {0xD7, 5, 0x73, 0x01, 0x04, 0x00, 0x27, 0x81, 0x14, 0, 2, 1, 0};
    // Priority 1, acquire output A and keep it.
    load(0x25, 1, {0xD7, 1, 0x73, 0x01, 0x04, 0x00, 0x27, 0x81});
    run(holder, 10);
    EXPECT_EQ(value(0), 0);
    command({0x71, 1});
    brick.advance(2);
    EXPECT_EQ(value(0), 1);
}

TEST_F(InterpreterTest, SettingASensorsTypeSetsItsDefaultMode)
{
    const std::uint8_t modes[] = {0x00, 0x20, 0xA0, 0x80, 0xE0};
    for (std::uint8_t type = 0; type < 5; ++type) {
        command({0x42, 0, 0x45});
        command({0x32, 0, type});
        EXPECT_EQ(brick.snapshot().sensors[0].modeByte(), modes[type]) << "type " << int(type);
        run({0x42, 1, 0x45, 0x32, 1, type}, 1);
        EXPECT_EQ(brick.snapshot().sensors[1].modeByte(), modes[type]) << "type " << int(type);
    }
}

TEST_F(InterpreterTest, TheHostsDirectInstructionsActOutsideAnyTask)
{
    command(add(4, 5));
    command(add(4, 5));
    command(join({{0x23}, word(880), {20}}));
    EXPECT_EQ(value(4), 10);
    ASSERT_EQ(brick.snapshot().played.size(), 1u);
    EXPECT_EQ(brick.snapshot().played[0].frequency, 880);
    // Flow control is a program's own.
    sent.clear();
    command({0x27, 0x00});
    EXPECT_TRUE(sent.empty());
}

TEST_F(InterpreterTest, TheRemoteRunsAProgramAndSendsMessages)
{
    command({0x91, 1});
    load(0x25, 0, set(0, 5));
    command({0x91, 0});
    brick.receive(framed({0xD2, 0x04, 0x02})); // program 2 and message 2
    brick.advance(1);
    EXPECT_EQ(brick.snapshot().slot, 1);
    EXPECT_EQ(value(0), 5);
    EXPECT_EQ(brick.snapshot().lastMessage, 2);
}

TEST(WallClock, TheSchedulerRunsTheProgramWhileNobodyTalks)
{
    Brick brick;
    Scheduler scheduler(brick);
    const Bytes forever = join({add(0, 1), {0x27, 0x86}});
    brick.receive(framed(join({{0x25, 0, 0, 0}, word(7)})));
    brick.receive(framed(join({{0x45, 0, 0}, word(7), forever,
        {static_cast<std::uint8_t>(std::accumulate(forever.begin(), forever.end(), 0))}})));
    brick.receive(framed({0x71, 0}));
    EXPECT_TRUE(waitUntil([&] { return brick.snapshot().variables[0] > 1000; }));
    EXPECT_FALSE(brick.advance(10));
}

} // namespace
