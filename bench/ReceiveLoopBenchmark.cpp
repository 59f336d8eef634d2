// Decoding speed of the receive loop: each exchange sends a battery request
// whose echo, reply and eight brick messages the in-memory tower delivers at
// once; the loop must decode them far faster than a tower can deliver bytes
// (about 218 a second on the serial tower).
#include "link/RCXPacket.h"
#include "support/ScriptedPort.h"

#include <benchmark/benchmark.h>

#include <thread>

namespace {

constexpr int messagesPerExchange = 8;

void BM_ReceiveLoopDecoding(benchmark::State& state)
{
    ScriptedPort port;
    Bytes brick;
    port.setResponder([&brick](const Bytes& written) {
        if (brick.empty()) {
            for (int i = 0; i < messagesPerExchange; ++i) {
                const Bytes message = framed({0xF7, static_cast<std::uint8_t>(i)});
                brick.insert(brick.end(), message.begin(), message.end());
            }
        }
        Bytes answer = framed({static_cast<std::uint8_t>(~written[3]), 0x2C, 0x23});
        answer.insert(answer.end(), brick.begin(), brick.end());
        return answer;
    });
    RCXPacket packet(port);
    packet.startReadLoop();

    std::size_t bytes = 0;
    for (auto _ : state) {
        if (packet.sendPacket(0x30, {}, 0.2f) != 0 || packet.reply2Bytes(0x30, 0.2f) != 9004) {
            state.SkipWithError("exchange failed");
            break;
        }
        // Echo (7 bytes), reply (11) and the messages (9 each) were decoded.
        bytes += 7 + 11 + 9 * messagesPerExchange;
    }
    port.waitUntilDrained();
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    // Decoded bytes a second over the 1 MB/s bound: must stay above 1.
    state.counters["ratio_to_1MBps"] =
        benchmark::Counter(static_cast<double>(bytes) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReceiveLoopDecoding)->UseRealTime()->MinTime(2.0);

} // namespace

namespace {

// The same decoding without the hand-off to a waiting sender: a burst of
// brick messages per iteration.
void BM_ReceiveLoopMessageBurst(benchmark::State& state)
{
    constexpr int burst = 1000;
    Bytes stream;
    for (int i = 0; i < burst; ++i) {
        const Bytes message = framed({0xF7, static_cast<std::uint8_t>(i)});
        stream.insert(stream.end(), message.begin(), message.end());
    }
    ScriptedPort port;
    RCXPacket packet(port);
    packet.startReadLoop();
    int expected = 0;
    for (auto _ : state) {
        expected += burst;
        port.feed(stream);
        while (packet.messagesReceived() < expected)
            std::this_thread::yield();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(stream.size()));
    state.counters["ratio_to_1MBps"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(stream.size()) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReceiveLoopMessageBurst)->UseRealTime()->MinTime(2.0);

} // namespace
