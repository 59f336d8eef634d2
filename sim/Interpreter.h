#pragma once

#include "sim/Actions.h"
#include "sim/BrickState.h"
#include "sim/Sources.h"

#include <cstdint>
#include <span>

// Runs the byte code of the current program slot's tasks on the brick's
// state, a tick (one millisecond of brick time) at a time. In each tick the
// events are looked at first, then every running task that is not waiting
// runs a slice of up to sliceLength instructions, task 0 first: a task that
// loops forever never holds the others up. A task ends at the end of its
// code; the program ends when its last task does.
//
// This class keeps the tasks' course: tasks, subroutines, branches, loops,
// waits, monitors and access control. By opcode:
//   0x17 call subroutine (0 to 7), 0xF6 return; the end of a subroutine's
//        code returns too
//   0x27 branch (offset), 0x72 far branch (offset lo, hi)
//   0x85 test and branch (condition << 6 | source 1, source 2, argument 1
//        lo, hi, argument 2, offset), 0x95 with a far offset (lo, hi):
//        conditions 0 <=, 1 >=, 2 !=, 3 ==
//   0x82 set loop counter (source, argument); 0x37 / 0x92 decrement loop
//        counter (offset / lo, hi): at zero, the counter goes and the loop
//        is left
//   0xF2 / 0xF3 decrement variable, branch when negative (variable, offset)
//   0x43 wait (source, argument), hundredths of a second
//   0x71 start task, 0x81 stop task, 0x50 stop all tasks, 0x91 select
//        program slot (stops the program), 0xD7 task priority
//   0xB4 / 0xB5 enter monitor (source, argument: events, handler offset),
//        0xB0 leave it
//   0x73 acquire (resources, handler offset), 0xA0 release
// Everything else goes to Actions. Offsets count from their own first byte;
// a near one is one byte, its bit 7 the sign (0x37: 0 to 255 forward); a
// far one is 7 bits and a byte above them, bit 7 the sign (0x72, 0x73,
// 0xB5, 0xF3), or a 16-bit word (0x92, 0x95).
//
// An opcode it does not know stops the task and is kept in the state; an
// instruction cut short by the end of the code ends the code there.
class Interpreter {
public:
    static constexpr int sliceLength = 4;

    Interpreter(BrickState& state, Actions::Transmit transmit);

    // Runs up to maxTicks ticks of those due until `now`; true once it has
    // caught up. While no task runs, time moves on without ticks.
    bool runUntil(std::int64_t now, int maxTicks);
    // A host's command that is also an instruction, run outside any task;
    // false when it is none or its arguments are out of range.
    bool direct(std::span<const std::uint8_t> command, std::int64_t now);
    // A value as the host's get-value command reads it.
    std::optional<int> valueOf(int source, int argument, std::int64_t now);

private:
    using Arguments = std::span<const std::uint8_t>;
    struct Instruction;
    // One instruction being run: by a task (none for a host's command),
    // where it starts, and whether its arguments made sense.
    struct Step {
        Sources::Context context;
        std::uint8_t opcode = 0;
        int pc = 0;
        bool valid = true;
    };

    static const Instruction* find(std::uint8_t opcode);
    static int lengthOf(std::uint8_t opcode);

    void tick(std::int64_t now);
    void interruptMonitors(std::uint16_t events);
    void step(int number, std::int64_t now);
    const ByteString& codeOf(int task, const CodePosition& at) const;
    void endOfCode(TaskState& task);
    bool run(Step& step, Arguments arguments);
    std::optional<int> read(Step& step, int source, int argument);
    // Continues the task at the offset found at `offsetAt` in the arguments.
    void branch(Step& step, std::size_t offsetAt, int offset);
    CodePosition target(const Step& step, std::size_t offsetAt, int offset) const;

    void callSub(Step& step, Arguments arguments);
    void returnFromSub(Step& step, Arguments);
    void branchNear(Step& step, Arguments arguments);
    void branchFar(Step& step, Arguments arguments);
    void test(Step& step, Arguments arguments);
    void setLoopCounter(Step& step, Arguments arguments);
    void decrementLoopCounter(Step& step, Arguments arguments);
    void decrementVariable(Step& step, Arguments arguments);
    void wait(Step& step, Arguments arguments);
    void startTask(Step& step, Arguments arguments);
    void stopTask(Step& step, Arguments arguments);
    void stopAll(Step& step, Arguments);
    void selectProgram(Step& step, Arguments arguments);
    void setPriority(Step& step, Arguments arguments);
    void enterMonitor(Step& step, Arguments arguments);
    void leaveMonitor(Step& step, Arguments);
    void acquire(Step& step, Arguments arguments);
    void release(Step& step, Arguments);

    BrickState& state;
    Sources sources;
    Actions actions;
    std::int64_t programTime = 0; // the last tick run, milliseconds
};
