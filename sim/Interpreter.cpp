#include "sim/Interpreter.h"

#include "protocol/Opcodes.h"
#include "protocol/Words.h"

#include <algorithm>
#include <iterator>

struct Interpreter::Instruction {
    std::uint8_t opcode;
    std::uint8_t length; // bytes, the opcode included
    bool fromHost;       // a host may send it as a command
    void (Interpreter::*run)(Step&, Arguments);
};

namespace {

// One byte: bit 7 the sign, bits 0-6 the distance.
int nearOffset(std::uint8_t byte)
{
    return (byte & 0x80) ? -(byte & 0x7F) : byte;
}

// Seven bits and the byte above them; bit 7 of the first byte the sign.
int farOffset(std::uint8_t low, std::uint8_t high)
{
    const int distance = (low & 0x7F) | high << 7;
    return (low & 0x80) ? -distance : distance;
}

} // namespace

const Interpreter::Instruction* Interpreter::find(std::uint8_t opcode)
{
    static constexpr Instruction instructions[] = {
        {Opcode::callSub, 2, false, &Interpreter::callSub},
        {Opcode::branchNear, 2, false, &Interpreter::branchNear},
        {Opcode::decrementLoopCounterNear, 2, false, &Interpreter::decrementLoopCounter},
        {Opcode::wait, 4, false, &Interpreter::wait},
        {Opcode::stopAll, 1, true, &Interpreter::stopAll},
        {Opcode::startTask, 2, true, &Interpreter::startTask},
        {Opcode::branchFar, 3, false, &Interpreter::branchFar},
        {Opcode::acquire, 4, false, &Interpreter::acquire},
        {Opcode::stopTask, 2, true, &Interpreter::stopTask},
        {Opcode::setLoopCounter, 3, false, &Interpreter::setLoopCounter},
        {Opcode::testNear, 7, false, &Interpreter::test},
        {Opcode::selectProgram, 2, true, &Interpreter::selectProgram},
        {Opcode::decrementLoopCounterFar, 3, false, &Interpreter::decrementLoopCounter},
        {Opcode::testFar, 8, false, &Interpreter::test},
        {Opcode::release, 1, false, &Interpreter::release},
        {Opcode::leaveMonitor, 1, false, &Interpreter::leaveMonitor},
        {Opcode::enterMonitorNear, 5, false, &Interpreter::enterMonitor},
        {Opcode::enterMonitorFar, 6, false, &Interpreter::enterMonitor},
        {Opcode::setPriority, 2, false, &Interpreter::setPriority},
        {Opcode::decrementVariableNear, 3, false, &Interpreter::decrementVariable},
        {Opcode::decrementVariableFar, 4, false, &Interpreter::decrementVariable},
        {Opcode::returnFromSub, 1, false, &Interpreter::returnFromSub},
    };
    const auto found = std::find_if(std::begin(instructions), std::end(instructions),
        [opcode](const Instruction& instruction) { return instruction.opcode == opcode; });
    return found == std::end(instructions) ? nullptr : found;
}

int Interpreter::lengthOf(std::uint8_t opcode)
{
    const Instruction* instruction = find(opcode);
    return instruction ? instruction->length : Actions::lengthOf(opcode);
}

Interpreter::Interpreter(BrickState& state, Actions::Transmit transmit)
    : state(state)
    , sources(state)
    , actions(state, sources, std::move(transmit))
{
}

bool Interpreter::runUntil(std::int64_t now, int maxTicks)
{
    for (int ticks = 0; ticks < maxTicks && programTime < now; ++ticks) {
        if (!state.running()) {
            programTime = now;
            break;
        }
        tick(++programTime);
    }
    return programTime >= now;
}

bool Interpreter::direct(std::span<const std::uint8_t> command, std::int64_t now)
{
    if (command.empty())
        return false;
    Step step{.context = {.task = nullptr, .now = now}, .opcode = command.front()};
    const Instruction* instruction = find(step.opcode);
    if (!instruction)
        return actions.run(step.opcode, command.subspan(1), step.context);
    if (!instruction->fromHost || command.size() < instruction->length)
        return false;
    return run(step, command.subspan(1));
}

std::optional<int> Interpreter::valueOf(int source, int argument, std::int64_t now)
{
    return sources.read(source, argument, {.task = nullptr, .now = now});
}

void Interpreter::tick(std::int64_t now)
{
    interruptMonitors(occurredEvents(state, now));
    for (int number = 0; number < BrickState::taskCount; ++number) {
        const TaskState& task = state.tasks[static_cast<std::size_t>(number)];
        for (int count = 0; count < sliceLength && task.running && task.waitUntil <= now; ++count)
            step(number, now);
    }
}

void Interpreter::interruptMonitors(std::uint16_t events)
{
    if (events == 0)
        return;
    for (TaskState& task : state.tasks) {
        // The outermost monitor that waits for one of them wins.
        const auto struck = std::find_if(task.monitors.begin(), task.monitors.end(),
            [events](const Handler& monitor) { return monitor.mask & events; });
        if (!task.running || struck == task.monitors.end())
            continue;
        const Handler handler = *struck;
        task.activeEvents = handler.mask & events;
        task.monitors.erase(struck, task.monitors.end());
        task.interrupt(handler);
    }
}

void Interpreter::step(int number, std::int64_t now)
{
    TaskState& task = state.tasks[static_cast<std::size_t>(number)];
    const ByteString& code = codeOf(number, task.at);
    const int pc = task.at.pc;
    if (pc < 0 || pc >= static_cast<int>(code.size())) {
        endOfCode(task);
        return;
    }
    const std::uint8_t opcode = code[static_cast<std::size_t>(pc)];
    const int length = lengthOf(opcode);
    if (length == 0) {
        state.unknownOpcode = UnknownOpcode{.task = number, .at = task.at, .opcode = opcode};
        task.stop();
        return;
    }
    if (pc + length > static_cast<int>(code.size())) {
        endOfCode(task);
        return;
    }
    task.at.pc = pc + length;
    Step step{.context = {.task = &task, .now = now}, .opcode = opcode, .pc = pc};
    run(step, Arguments(code).subspan(static_cast<std::size_t>(pc) + 1, static_cast<std::size_t>(length) - 1));
}

const ByteString& Interpreter::codeOf(int task, const CodePosition& at) const
{
    const ProgramSlot& program = state.programs[static_cast<std::size_t>(state.slot)];
    if (at.sub >= 0)
        return program.subs[static_cast<std::size_t>(at.sub)];
    return program.tasks[static_cast<std::size_t>(task)];
}

void Interpreter::endOfCode(TaskState& task)
{
    if (!task.returnFromSub())
        task.stop();
}

bool Interpreter::run(Step& step, Arguments arguments)
{
    if (const Instruction* instruction = find(step.opcode))
        (this->*instruction->run)(step, arguments);
    else
        step.valid = actions.run(step.opcode, arguments, step.context);
    return step.valid;
}

std::optional<int> Interpreter::read(Step& step, int source, int argument)
{
    const std::optional<int> value = sources.read(source, argument, step.context);
    step.valid = step.valid && value.has_value();
    return value;
}

CodePosition Interpreter::target(const Step& step, std::size_t offsetAt, int offset) const
{
    return {.sub = step.context.task->at.sub, .pc = step.pc + 1 + static_cast<int>(offsetAt) + offset};
}

void Interpreter::branch(Step& step, std::size_t offsetAt, int offset)
{
    step.context.task->at = target(step, offsetAt, offset);
}

void Interpreter::callSub(Step& step, Arguments arguments)
{
    TaskState& task = *step.context.task;
    if (arguments[0] >= BrickState::subCount || task.calls.size() >= TaskState::maxCalls)
        return;
    task.calls.push_back(task.at);
    task.at = {.sub = arguments[0], .pc = 0};
}

void Interpreter::returnFromSub(Step& step, Arguments)
{
    endOfCode(*step.context.task);
}

void Interpreter::branchNear(Step& step, Arguments arguments)
{
    branch(step, 0, nearOffset(arguments[0]));
}

void Interpreter::branchFar(Step& step, Arguments arguments)
{
    branch(step, 0, farOffset(arguments[0], arguments[1]));
}

void Interpreter::test(Step& step, Arguments arguments)
{
    const std::optional<int> first = read(step, arguments[0] & 0x3F, signedLittleEndian16(arguments, 2));
    const std::optional<int> second = read(step, arguments[1], arguments[4]);
    if (!first || !second)
        return;
    const bool holds[] = {*first <= *second, *first >= *second, *first != *second, *first == *second};
    if (!holds[arguments[0] >> 6])
        return;
    branch(step, 5, step.opcode == Opcode::testFar ? signedLittleEndian16(arguments, 5) : nearOffset(arguments[5]));
}

void Interpreter::setLoopCounter(Step& step, Arguments arguments)
{
    const std::optional<int> count = read(step, arguments[0], arguments[1]);
    if (!count)
        return;
    std::vector<int>& counters = step.context.task->loopCounters;
    if (counters.size() == TaskState::maxLoops)
        counters.erase(counters.begin());
    counters.push_back(*count);
}

void Interpreter::decrementLoopCounter(Step& step, Arguments arguments)
{
    std::vector<int>& counters = step.context.task->loopCounters;
    if (!counters.empty() && counters.back() > 0) {
        --counters.back();
        return;
    }
    if (!counters.empty())
        counters.pop_back();
    branch(step, 0, step.opcode == Opcode::decrementLoopCounterNear ? arguments[0] : signedLittleEndian16(arguments, 0));
}

void Interpreter::decrementVariable(Step& step, Arguments arguments)
{
    std::int16_t* variable = sources.variable(arguments[0], step.context);
    if (!variable)
        return;
    *variable = static_cast<std::int16_t>(*variable - 1);
    if (*variable < 0)
        branch(step, 1, step.opcode == Opcode::decrementVariableNear ? nearOffset(arguments[1]) : farOffset(arguments[1], arguments[2]));
}

void Interpreter::wait(Step& step, Arguments arguments)
{
    const std::optional<int> hundredths = read(step, arguments[0], signedLittleEndian16(arguments, 1));
    if (hundredths && *hundredths > 0)
        step.context.task->waitUntil = step.context.now + *hundredths * TimerState::hundredths;
}

void Interpreter::startTask(Step& step, Arguments arguments)
{
    const std::size_t number = arguments[0];
    step.valid = number < state.tasks.size();
    if (!step.valid || state.programs[static_cast<std::size_t>(state.slot)].tasks[number].empty())
        return;
    // The host starts a program afresh.
    if (!step.context.task)
        state.unknownOpcode.reset();
    // A program that starts from none runs from now, on none of the events
    // that came before.
    if (!state.running()) {
        programTime = step.context.now;
        state.pendingEvents = 0;
        state.messageArrived = false;
    }
    state.tasks[number].start();
}

void Interpreter::stopTask(Step& step, Arguments arguments)
{
    step.valid = arguments[0] < state.tasks.size();
    if (step.valid)
        state.tasks[arguments[0]].stop();
}

void Interpreter::stopAll(Step&, Arguments)
{
    state.stopAllTasks();
}

void Interpreter::selectProgram(Step& step, Arguments arguments)
{
    step.valid = arguments[0] < BrickState::slots;
    if (!step.valid)
        return;
    state.slot = arguments[0];
    state.stopAllTasks();
}

void Interpreter::setPriority(Step& step, Arguments arguments)
{
    step.context.task->priority = arguments[0];
}

void Interpreter::enterMonitor(Step& step, Arguments arguments)
{
    const std::optional<int> events = read(step, arguments[0], signedLittleEndian16(arguments, 1));
    if (!events)
        return;
    TaskState& task = *step.context.task;
    const int offset = step.opcode == Opcode::enterMonitorFar ? farOffset(arguments[3], arguments[4]) : nearOffset(arguments[3]);
    if (task.monitors.size() == TaskState::maxMonitors)
        task.monitors.erase(task.monitors.begin());
    task.monitors.push_back(
        {.mask = static_cast<std::uint16_t>(*events), .at = target(step, 3, offset), .callDepth = task.calls.size()});
}

void Interpreter::leaveMonitor(Step& step, Arguments)
{
    std::vector<Handler>& monitors = step.context.task->monitors;
    if (!monitors.empty())
        monitors.pop_back();
}

void Interpreter::acquire(Step& step, Arguments arguments)
{
    TaskState& task = *step.context.task;
    const Handler handler{.mask = arguments[0], .at = target(step, 1, farOffset(arguments[1], arguments[2])),
        .callDepth = task.calls.size()};
    const auto holds = [&](const TaskState& other) {
        return &other != &task && other.running && other.access && (other.access->mask & handler.mask);
    };
    // Granted unless a task of higher priority (a lower number) holds one of
    // the resources; the holders of equal or lower priority lose them.
    if (std::any_of(state.tasks.begin(), state.tasks.end(),
            [&](const TaskState& other) { return holds(other) && other.priority < task.priority; })) {
        task.interrupt(handler);
        return;
    }
    for (TaskState& other : state.tasks) {
        if (!holds(other))
            continue;
        const Handler lost = *other.access;
        other.access.reset();
        other.interrupt(lost);
    }
    task.access = handler;
}

void Interpreter::release(Step& step, Arguments)
{
    step.context.task->access.reset();
}
