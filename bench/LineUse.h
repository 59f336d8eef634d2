#pragma once

// What the infrared line carries for what the virtual brick heard: every
// command packet and every reply, framed (header, each byte and its
// complement, checksum and its complement).
#include "protocol/Opcodes.h"
#include "protocol/PacketLengths.h"
#include "sim/Brick.h"
#include "sim/PtyTower.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// Header, each byte and its complement, checksum and its complement.
int framedLength(int bytes)
{
    return 3 + 2 * bytes + 2;
}

struct LineUse {
    long bytes = 0;
    int replies = 0;
};

// What the line carries for the commands the brick decoded and its replies.
LineUse lineUse(const std::vector<ByteString>& history)
{
    LineUse use;
    for (const ByteString& command : history) {
        use.bytes += framedLength(static_cast<int>(command.size()));
        const int opcode = withoutToggle(command[0]);
        int reply = replyLength(~command[0] & 0xFF);
        if (opcode == 0xA4)
            reply = 1 + 3 * (command[3] + 256 * command[4]);
        if (reply > 0) {
            use.bytes += framedLength(reply);
            ++use.replies;
        }
    }
    return use;
}

// Records a run of `seconds` against the line's own time, `bound` seconds,
// alone and with the turnaround the virtual brick waits before each reply.
void reportLineTime(benchmark::State& state, double seconds, double bound, int replies)
{
    const double turnarounds = replies * std::chrono::duration<double>(PtyTower::turnaround).count();
    state.SetIterationTime(seconds);
    state.counters["seconds"] = seconds;
    state.counters["bound"] = bound;
    state.counters["ratio"] = seconds / bound;
    state.counters["ratioWithTurnarounds"] = seconds / (bound + turnarounds);
}

} // namespace
