// The virtual brick heard without a tower: replies, hostile streams, sensors, firmware and control language.
#include "link/Framing.h"
#include "link/RCXSender.h"
#include "protocol/Words.h"
#include "rcx/FirmwareFile.h"
#include "sim/Brick.h"
#include "sim/BrickControl.h"
#include "sim/BrickPort.h"
#include "sim/CommandDecoder.h"
#include "sim/Events.h"
#include "sim/SensorScenes.h"
#include "support/Recording.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

namespace {

// A command as sent (toggle bit included) and the reply's data after its opcode, or none.
using Step = std::pair<Bytes, std::optional<Bytes>>;
const std::nullopt_t none = std::nullopt;

// What the brick sends back for `packet`, from a host at `host`'s settings.
Bytes answerTo(Brick& brick, const Bytes& packet, const HostSettings& host = {})
{
    Bytes sent;
    brick.setTransmitter([&](const ByteString& bytes, const LineSettings&) { sent = sent + bytes; });
    brick.receive(packet, host);
    brick.setTransmitter(nullptr);
    return sent;
}

void play(Brick& brick, const std::vector<Step>& steps)
{
    for (const auto& [command, reply] : steps)
        EXPECT_EQ(answerTo(brick, framed(command)), reply ? framed(Bytes{static_cast<std::uint8_t>(~command[0])} + *reply) : Bytes())
            << BrickControl::hexText(command);
}

TEST(Brick, AnswersEachCommandAsTheFirmwareDoes)
{
    Brick brick;
    brick.setBattery(9004);
    brick.setSensorRaw(1, 700);
    brick.setSensorRaw(3, 10); // no such sensor
    brick.setSensorRaw(-1, 10);
    play(brick, {
        {{0x10}, Bytes{}}, {{0x18}, Bytes{}}, {{0x30}, {{0x2C, 0x23}}}, {{0x75, 0, 0x80, 0, 0, 0}, none},
        {{0x15, 1, 3, 5, 7, 11}, {{0, 3, 0, 1, 0, 3, 0, 9}}}, {{0x1D, 1, 3, 5, 7, 12}, none},
        // A repeated opcode byte gets the last reply and does not act again.
        {{0x14, 3, 2, 5, 0}, Bytes{}}, {{0x14, 3, 2, 7, 0}, Bytes{}}, {{0x1A, 0, 3}, {{5, 0}}},
        {{0x1A, 0, 4}, {{5, 0}}}, {{0x14, 5, 2, 0xFE, 0xFF}, Bytes{}}, {{0x1A, 0, 5}, {{0xFE, 0xFF}}},
        // Set variable from a source: sensor 2's value, variable 5.
        {{0x1C, 6, 9, 1, 0}, Bytes{}}, {{0x14, 7, 0, 5, 0}, Bytes{}}, {{0x1A, 0, 6}, {{0xBC, 0x02}}},
        {{0x12, 0, 7}, {{0xFE, 0xFF}}}, {{0x1A, 12, 0}, {{0xFF, 0x03}}},
        // Remote words and messages act every time and are not answered.
        {{0xD2, 0, 0}, none}, {{0xD2, 0x80, 0}, none}, {{0xD2, 0, 0}, none}, {{0xF7, 4}, none}, {{0xF7, 4}, none},
        {{0x12, 15, 0}, {{4, 0}}},
        // Outputs: power, direction and state in one status byte; a remote motor button runs A backwards while held.
        {{0x13, 5, 2, 3}, Bytes{}}, {{0x21, 0x85}, Bytes{}}, {{0xE1, 0x05}, Bytes{}}, {{0x1A, 3, 0}, {{0x83, 0}}},
        {{0x12, 3, 1}, {{0x0F, 0}}}, {{0xE9, 0x45}, Bytes{}}, {{0x29, 0x44}, Bytes{}}, {{0x1A, 3, 2}, {{0x4B, 0}}},
        {{0x21, 0x01}, Bytes{}}, {{0x12, 3, 0}, {{0x0B, 0}}}, {{0xD2, 0, 0x40}, none}, {{0x1A, 3, 0}, {{0x83, 0}}},
        {{0xD2, 0, 0}, none}, {{0x12, 3, 0}, {{0x43, 0}}},
        // The global settings (RCX 2) read as source 17 and bound the output's own; display 0 is one.
        {{0xA3, 0x04, 2, 2}, Bytes{}}, {{0x77, 0x04}, Bytes{}}, {{0x1A, 17, 2}, {{0x82, 0}}}, {{0x12, 3, 2}, {{0x42, 0}}},
        {{0x33, 2, 3, 0}, Bytes{}}, {{0x3B, 2, 0, 0}, Bytes{}},
        // Sensors: type and mode bytes read back, values converted; a fourth sensor is refused.
        {{0x05, 9, 0, 2, 5, 0}, none}, // a sensor's value cannot be set
        {{0x32, 3, 1}, none}, {{0x3A, 0, 5}, none}, {{0x42, 3, 0x20}, none}, {{0xD1, 3}, none}, {{0x71, 10}, none}, {{0x81, 10}, none},
        {{0x12, 23, 10}, none}, // the events of "the running task", asked by the host
        {{0x32, 2, 3}, Bytes{}}, {{0x42, 2, 0x8A}, Bytes{}}, {{0x1A, 10, 2}, {{3, 0}}}, {{0x12, 11, 2}, {{0x8A, 0}}},
        {{0x1A, 9, 1}, {{0xBC, 0x02}}}, {{0x12, 12, 2}, {{0xFF, 0x03}}},
        // An event on sensor 2 calibrated around its value (700): upper, lower, hysteresis; an event past the sixteenth, a source past the eleventh refused.
        {{0xE5, 0, 1, 9, 2, 0}, Bytes{}}, // the display shows sensor 3's value, one decimal
        {{0x93, 0, 1, 8}, Bytes{}}, {{0x9B, 16, 1, 8}, none}, {{0x93, 1, 11, 8}, none}, {{0x04, 0, 10, 20, 3}, Bytes{}}, {{0x1A, 28, 0}, {{0xC6, 0x02}}},
        {{0x12, 29, 0}, {{0xA8, 0x02}}}, {{0x1A, 30, 0}, {{3, 0}}},
        // Code arrives in numbered blocks ending with block 0, into the current slot; a block
        // out of order, a wrong sum, a refusal and one past or short of the announced length have their
        // status; the same block again after a lost status is acknowledged, stored once.
        {{0x91, 2}, Bytes{}}, {block(0x45, 1, {1}), {{Brick::blockOutOfSequence}}},
        {{0x25, 0, 3, 0, 5, 0}, {{0}}}, {block(0x4D, 2, {1, 2}), {{Brick::blockOutOfSequence}}},
        {block(0x45, 1, {1, 2}), {{0}}}, {block(0x4D, 1, {1, 2}), {{0}}},
        {block(0x45, 0, {3}), {{Brick::blockOutOfSequence}}},
        {block(0x4D, 0, {3, 4, 5, 6}), {{Brick::blockOutOfSequence}}}, {block(0x45, 0, {3, 4, 5}), {{0}}},
        {{0x3D, 0, 7, 0, 2, 0}, {{0}}}, {block(0x45, 0, {9, 9}), {{0}}},
        {{0x35, 0, 6, 0, 2, 0}, {{0}}}, {Bytes{0x4D, 0, 0, 2, 0, 9, 9, 0}, {{Brick::blockChecksumError}}},
        // Programs run from the current slot; the slot is source 8.
        {{0x79, 0}, Bytes{}}, {{0x12, 8, 0}, {{2, 0}}}, {{0x50}, Bytes{}}, {{0x91, 4}, Bytes{}}, {{0x1A, 8, 0}, {{4, 0}}},
        // The datalog: its size, then the entries after their count.
        {{0x52, 3, 0}, {{0}}}, {{0x5A, 0xFF, 0x7F}, {{1}}},
    });
    BrickState state = brick.snapshot();
    EXPECT_EQ(std::tuple(state.variables[3], state.running(), state.datalog.size, state.display), std::tuple(5, false, 3, 0));
    EXPECT_EQ(state.remote, (std::vector<std::uint16_t>{0, 0x80, 0, 0x4000, 0}));
    EXPECT_EQ(state.messages, (std::vector<std::uint8_t>{4, 4}));
    EXPECT_EQ(std::tuple(state.userDisplay.source, state.userDisplay.argument, state.userDisplay.decimals), std::tuple(9, 2, 1));
    EXPECT_EQ(std::pair(state.programs[2].tasks[3], state.programs[2].subs[7]), std::pair(ByteString{1, 2, 3, 4, 5}, ByteString{9, 9}));
    EXPECT_TRUE(brick.addDatalogEntry(0x03, 120) && brick.addDatalogEntry(0x41, -5) && brick.addDatalogEntry(0x80, 2));
    EXPECT_FALSE(brick.addDatalogEntry(0x80, 3));
    play(brick, {
        {{0xA4, 0, 0, 3, 0}, {{0xFF, 4, 0, 0x03, 120, 0, 0x41, 0xFB, 0xFF}}}, {{0xAC, 3, 0, 1, 0}, {{0x80, 2, 0}}},
        {{0xA4, 4, 0, 1, 0}, none}, {{0x5A, 3, 0}, {{0}}}, {{0xAC, 0, 0, 1, 0}, {{0xFF, 1, 0}}}, {{0xA4, 1, 0, 3, 0}, Bytes(9, 0)},
        // Power off silences the brick until it is switched on again.
        {{0x60}, none}, {{0x18}, none},
    });
    EXPECT_FALSE(brick.sendMessage(1));
    brick.powerOn();
    brick.setSilent(true);
    play(brick, {{{0x1C, 1, 2, 9, 0}, none}});
    brick.setSilent(false);
    play(brick, {{{0x12, 0, 1}, {{9, 0}}}});
    EXPECT_EQ(brick.history().size(), 94u) << "every command heard, none while off";
}

TEST(Brick, BeginsRefuseWhatDoesNotFitAndTheMemoryMapShowsWhereEverythingLies)
{
    // A replaced task gives its room back; a datalog (three bytes an entry, and its count) may take the rest exactly.
    constexpr int room = ProgramMemory::size;
    Brick full;
    play(full, {{{0x25, 0, 10, 0, 1, 0}, {{2}}}, {{0x35, 0, 8, 0, 1, 0}, {{2}}}, {{0x2D, 0, 0, 0, room & 0xFF, room >> 8}, {{0}}},
                {{0x3D, 0, 0, 0, 1, 0}, {{1}}}, {{0x25, 0, 0, 0, (room - 6) & 0xFF, (room - 6) >> 8}, {{0}}}, {{0x52, 1, 0}, {{0}}}, {{0x5A, 2, 0}, {{1}}}});
    Brick brick;
    play(brick, {{{0x91, 1}, Bytes{}}, {{0x35, 0, 2, 0, 10, 0}, {{0}}}, {{0x25, 0, 0, 0, 4, 0}, {{0}}}, {{0x52, 5, 0}, {{0}}}});
    const auto words = brick.snapshot().memoryMap();
    const std::pair<int, int> expected[] = {
        {0, ProgramMemory::start}, {8 + 2, ProgramMemory::start}, {8 + 3, ProgramMemory::start + 10},
        {50, ProgramMemory::start + 10}, {51, ProgramMemory::start + 14}, {90, ProgramMemory::start + 14},
        {91, ProgramMemory::start + 17}, {92, ProgramMemory::start + 32}, {93, ProgramMemory::end}};
    for (auto [word, value] : expected)
        EXPECT_EQ(words[word], value) << word;
    EXPECT_EQ(brick.snapshot().freeMemory(), ProgramMemory::size - 32);
}

TEST(Brick, WithoutFirmwareOnlyTheRomAnswersAndAnImageNeedsItsSumAndSignature)
{
    Brick brick(false);
    play(brick, {
        {{0x10}, Bytes{}}, {{0x1D, 1, 3, 5, 7, 11}, {{0, 3, 0, 1, 0, 0, 0, 0}}}, {{0x12, 0, 0}, none}, {{0x20}, none},
        {{0x25, 0, 0, 0, 1, 0}, none}, {{0x38}, {{0x28, 0x23}}}, {{0x65, 1, 3, 5, 7, 12}, none}, {{0x65, 1, 3, 5, 7, 11}, Bytes{}},
        // A wrong sum, and a right one without the signature: no unlock.
        {{0x75, 0x00, 0x80, 7, 0, 0}, {{0}}}, {block(0x45, 0, {1, 2, 3}), {{Brick::firmwareChecksumError}}},
        {{0xA5, 0x4C, 0x45, 0x47, 0x4F, 0xAE}, none}, {{0x7D, 0x00, 0x80, 6, 0, 0}, {{0}}}, {block(0x4D, 0, {1, 2, 3}), {{0}}},
        {{0xAD, 0x4C, 0x45, 0x47, 0x4F, 0xAE}, none},
    });
    EXPECT_FALSE(brick.snapshot().firmware.present);
}

// Packets without complements, as the ROM's fast mode has them.
Bytes plainFramed(const Bytes& values) { return hex("55 FF 00") + values + Bytes{checksum(values)}; }

// Downloads `image` as firmware at 0x8000 and unlocks it in the line's framing; the unlock's answer.
Bytes downloadAndUnlock(Brick& brick, const Bytes& image, bool complements)
{
    const auto packet = [complements](const Bytes& values) { return complements ? framed(values) : plainFramed(values); };
    const int sum = std::accumulate(image.begin(), image.end(), 0);
    answerTo(brick, packet({0x75, 0x00, 0x80, lowByte(sum), highByte(sum), 0}));
    answerTo(brick, packet(block(0x4D, 0, image)));
    return answerTo(brick, packet({0xA5, 0x4C, 0x45, 0x47, 0x4F, 0xAE}));
}

// The unlock's answer goes out on the ROM's line, then the ROM calls the image. Code that returns leaves
// no firmware and the line its registers set (speed, complements, parity); other code is a firmware on the
// ROM's line. Hosts on other settings hear garbage; power off and on brings the ROM's line back.
TEST(Brick, RunsTheUnlockedImageAndTalksOnTheLineItLeaves)
{
    const std::string text = "Do you byte, when I knock?";
    const Bytes signature(text.begin(), text.end());
    const Bytes setBitRate = hex("F8 67 38 D9"); // MOV.B #103,R0L; MOV.B R0L,@0xD9
    const LineMode rom;
    using Kind = h8300::CallOutcome::Kind;
    // The address: where a return went, or where the unknown instruction is.
    const struct { const char* name; Bytes image; LineMode line; Kind outcome; std::uint16_t address; } cases[] = {
        {"serial image", readFirmwareFile(INFRABRICK_FAST_DOWNLOAD_SERIAL).image, {{4800, Parity::none}, false}, Kind::returned, 0x3FFE},
        {"USB image", readFirmwareFile(INFRABRICK_FAST_DOWNLOAD_USB).image, {{4800, Parity::odd}, false}, Kind::returned, 0x3FFE},
        {"a call into the ROM comes back", hex("5E 00 30 00") + setBitRate + hex("54 70") + signature, {{4800, Parity::odd}, true}, Kind::returned, 0x3FFE},
        {"a jump into the ROM returns", setBitRate + hex("5A 00 30 00") + signature, {{4800, Parity::odd}, true}, Kind::returned, 0x3FFE},
        {"endless loop", hex("40 FE") + signature, rom, Kind::budgetExhausted, 0x8000},
        {"unknown instruction", setBitRate + hex("01 80") + signature, rom, Kind::unknownInstruction, 0x8004},
    };
    const Bytes answer = Bytes{0x5A} + Bytes(unlockAnswer.begin(), unlockAnswer.end());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Brick brick(false);
        EXPECT_EQ(downloadAndUnlock(brick, c.image, true), framed(answer));
        const BrickState state = brick.snapshot();
        EXPECT_EQ(std::pair(state.line.mode(), state.firmware.present), std::pair(c.line, c.outcome != Kind::returned));
        ASSERT_TRUE(state.firmware.call);
        EXPECT_EQ(std::pair(state.firmware.call->kind, state.firmware.call->address), std::pair(c.outcome, c.address));
        if (c.outcome == Kind::unknownInstruction) {
            EXPECT_EQ(state.firmware.call->instruction, 0x0180);
        }

        const auto packet = [&c](const Bytes& values) { return c.line.complements ? framed(values) : plainFramed(values); };
        const HostSettings other{.bitsPerSecond = c.line.settings.bitsPerSecond == 2400 ? 4800 : 2400, .parity = std::nullopt};
        EXPECT_EQ(answerTo(brick, packet({0x10}), other), Bytes()) << "garbage, at another speed";
        EXPECT_EQ(answerTo(brick, packet({0x18}), {.bitsPerSecond = c.line.settings.bitsPerSecond, .parity = c.line.settings.parity == Parity::none ? Parity::odd : Parity::none}), Bytes())
            << "garbage, at another parity";
        EXPECT_EQ(answerTo(brick, packet({0x10}), {c.line.settings.bitsPerSecond, c.line.settings.parity}), packet({0xEF}));
        if (!c.line.complements) {
            // Still the ROM: it takes an image again, and its answer keeps the opcode's complement.
            EXPECT_EQ(downloadAndUnlock(brick, c.image, false), hex("55 FF 00 5A A5") + Bytes(answer.begin() + 1, answer.end()) + Bytes{checksum(answer)});
            // A block whose length a noisy byte made long is given up once the line pauses.
            answerTo(brick, hex("55 FF 00 45 01 00 FF 00 07"));
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            EXPECT_EQ(answerTo(brick, plainFramed({0x18})), plainFramed({0xE7}));
        }
        answerTo(brick, packet({0x60}));
        brick.powerOn();
        EXPECT_EQ(brick.snapshot().line.mode(), rom);
        EXPECT_EQ(answerTo(brick, framed({0x18})), framed({0xE7}));
    }
}

// Without complements the header may be the 0xFF alone; a packet with complements is not one.
TEST(CommandDecoder, FindsPacketsWithoutComplementsWhateverTheirHeader)
{
    const Bytes data = block(0x45, 1, {7, 8});
    const std::pair<Bytes, std::vector<ByteString>> cases[] = {
        {hex("FF 10 10"), {{0x10}}},
        {hex("FF 00 10 10"), {{0x10}}},
        {hex("55 FF 00 65 01 03 05 07 0B 80"), {{0x65, 1, 3, 5, 7, 11}}},
        {hex("55 FF 00 10 11 FF 18 18"), {{0x18}}},
        {hex("AA FF") + Bytes(data.begin(), data.end()) + Bytes{checksum(data)}, {data}},
        {framed({0x10}), {}},
    };
    for (const auto& [stream, commands] : cases) {
        CommandDecoder decoder;
        decoder.setComplements(false);
        std::vector<ByteString> decoded;
        for (std::uint8_t byte : stream)
            decoder.feed(byte);
        while (std::optional<ByteString> command = decoder.next())
            decoded.push_back(*command);
        EXPECT_EQ(decoded, commands) << BrickControl::hexText(stream);
    }
}

TEST(Brick, FindsThePacketsInHostileStreams)
{
    const Bytes alive = framed({0x18});
    Bytes broken = framed({0x14, 1, 2, 9, 0});
    broken[6] ^= 0x10;
    Bytes wrongSum = framed({0x14, 1, 2, 9, 0});
    wrongSum[13] += 1, wrongSum[14] -= 1;
    Bytes longest = {0x45, 1, 0, 0x00, 0x02};
    longest.resize(5 + 512 + 1);
    const std::pair<Bytes, std::vector<ByteString>> cases[] = {
        {hex("00 12 FF 55 55 FF 00 10 EF 10 EF"), {{0x10}}},
        {hex("55 FF 00 10 EE 10 EF") + alive, {{0x18}}},
        {broken + wrongSum + hex("55 FF 00 10 EF 10") + alive, {{0x18}}},
        {hex("55 FF 00 45 BA 01 FE 00 FF") + alive, {{0x18}}}, // debris of a block
        {hex("55 FF 00 45 BA 01 FE 00 FF 01 FE 02 FD") + alive, {{0x18}}}, // 513 bytes announced
        {framed(longest), {longest}},
        {hex("55 FF 00 12 ED 09 F6 00 FF 1B E4 55 FF 00 4D B2 00 FF 00 FF 00 FF 00 FF 00 FF 4D B2"),
         {{0x12, 9, 0}, {0x4D, 0, 0, 0, 0, 0}}},
    };
    for (const auto& [stream, commands] : cases) {
        Brick brick;
        brick.receive(stream);
        EXPECT_EQ(brick.history(), commands) << BrickControl::hexText(stream);
        EXPECT_EQ(brick.snapshot().variables[1], 0);
    }
}

TEST(Brick, SensorValuesFollowTheRawReadingsByMode)
{
    const struct { std::uint8_t modeByte; std::vector<int> raws; int value; } cases[] = {
        {0x00, {512}, 512}, {0x20, {300}, 1}, {0x20, {460}, 0}, {0x20, {300, 500}, 1}, {0x20, {300, 562}, 1}, {0x20, {300, 563}, 0}, {0x20, {300, 600}, 0}, {0x2A, {300, 320}, 0},
        {0x2A, {300, 305}, 1}, {0x2A, {300, 310}, 1}, {0x2A, {300, 320, 310}, 0}, {0x40, {300, 600, 300, 600}, 4}, {0x60, {300, 600, 300, 600, 300}, 2}, {0x80, {1023}, 0},
        {0x80, {400}, 89}, {0x80, {100}, 100}, {0xA0, {785}, 0}, {0xA0, {625}, 200}, {0xA0, {0}, 700},
        {0xA0, {1023}, -200}, {0xC0, {625}, 680}, {0xE0, {100, 300, 600, 900, 100}, 5}, {0xE0, {900, 600, 300}, -2}, {0xE0, {255, 256}, 2}};
    for (const auto& c : cases) {
        SensorState sensor;
        sensor.setModeByte(c.modeByte);
        for (int raw : c.raws)
            sensor.setRaw(raw);
        EXPECT_EQ(sensor.value, c.value) << std::hex << int(c.modeByte);
    }
    Brick brick;
    brick.setSensorRaw(0, 5000);
    EXPECT_EQ(brick.snapshot().sensors[0].raw, 1023);
}

TEST(BrickPort, CarriesRepliesAndTheBricksMessagesToTheLink)
{
    Brick brick;
    BrickPort port(brick);
    RCXPacket packet(port);
    RecordingListener listener;
    RCXSender sender(packet, &listener);
    const std::uint8_t alive = 0x10;
    EXPECT_EQ(port.write(&alive, 1), kIOReturnNotReady) << "closed";
    port.openPort("brick");
    packet.startReadLoop();
    EXPECT_EQ(sender.sendCodeGet2(0x30), 9000);
    sender.sendCodeNoReply(0xF7, {9});
    ASSERT_TRUE(brick.sendMessage(4));
    ASSERT_TRUE(waitUntil([&] { return packet.messagesReceived() == 1; }));
    EXPECT_EQ(packet.getMessage(0, 0.2f), 4);
    EXPECT_EQ(brick.snapshot().messages, (std::vector<std::uint8_t>{9}));
    EXPECT_EQ(listener.failures(), 0);
}

// A host on other settings than the brick's line and the brick hear each other garbled; the echo is the tower's.
TEST(BrickPort, HostsOnOtherLineSettingsHearGarbage)
{
    Brick brick;
    BrickPort port(brick);
    port.openPort("brick");
    port.setHostSettings({.bitsPerSecond = 2400, .parity = Parity::none});
    const Bytes alive = framed({0x10});
    ASSERT_EQ(port.write(alive.data(), static_cast<int>(alive.size())), kIOReturnSuccess);
    ASSERT_TRUE(brick.sendMessage(5));
    Bytes expected = framed({0xF7, 5});
    std::transform(expected.begin(), expected.end(), expected.begin(), garbled);
    Bytes got;
    for (std::uint8_t byte; got.size() < alive.size() + expected.size() && port.readByte(&byte, std::chrono::seconds(1)) == 0;)
        got.push_back(byte);
    EXPECT_EQ(got, alive + expected);
    EXPECT_TRUE(brick.history().empty());
}

std::string control(Brick& brick, const std::string& line) { return BrickControl(brick).run(line); }

// A scene's reading at points of its period: the line's ramp in and out, the press at the start.
TEST(SensorScenes, ReadingsFollowThePeriod)
{
    using std::chrono::milliseconds;
    const std::tuple<int (*)(milliseconds, milliseconds), int, int> rows[] = {
        {&SensorScenes::lineRawAt, 0, SensorScenes::floorRaw}, {&SensorScenes::lineRawAt, 349, SensorScenes::floorRaw},
        {&SensorScenes::lineRawAt, 425, 707}, {&SensorScenes::lineRawAt, 500, SensorScenes::lineRaw},
        {&SensorScenes::lineRawAt, 1500, SensorScenes::lineRaw}, {&SensorScenes::lineRawAt, 651, SensorScenes::floorRaw},
        {&SensorScenes::touchRawAt, 0, SensorScenes::pressedRaw}, {&SensorScenes::touchRawAt, 165, SensorScenes::pressedRaw},
        {&SensorScenes::touchRawAt, 166, SensorScenes::releasedRaw}, {&SensorScenes::touchRawAt, 1001, SensorScenes::pressedRaw},
    };
    for (const auto& [rawAt, at, raw] : rows)
        EXPECT_EQ(rawAt(milliseconds(at), milliseconds(1000)), raw) << at;
}

TEST(SensorScenes, MoveTheirSensorAndMalformedOnesAreRefused)
{
    Brick brick(true, BrickClock::Kind::Manual);
    SensorScenes scenes(brick);
    auto run = [&](const std::string& line) { return BrickControl(brick, &scenes).run(line); };
    auto raw = [&] { return brick.snapshot().sensors[0].raw; };
    for (const char* wrong : {"scene", "scene fly 1", "scene touch 4", "scene touch 1 59", "scene still 1 100"})
        EXPECT_NE(run(wrong), "ok") << wrong;
    EXPECT_EQ(control(brick, "scene touch 1"), "error: no scenes here");
    EXPECT_EQ(run("scene line 2 60"), "ok") << "the shortest period";
    ASSERT_EQ(run("scene touch 1 120"), "ok");
    EXPECT_TRUE(waitUntil([&] { return raw() == SensorScenes::pressedRaw; }));
    EXPECT_TRUE(waitUntil([&] { return raw() == SensorScenes::releasedRaw; }));
    EXPECT_EQ(run("scene still 1"), "ok");
}

TEST(BrickControl, CommandsChangeWhatTheHostReadsAndMalformedOnesNothing)
{
    Brick brick(true, BrickClock::Kind::Manual);
    Bytes sent;
    brick.setTransmitter([&](const ByteString& bytes, const LineSettings&) { sent = bytes; });
    const std::pair<const char*, const char*> commands[] = {
        {"datalog add 1 2", "error: the datalog is full"}, {"sensor 1 raw 0", "ok"}, {"sensor 0x2 raw 0x1FF", "ok"},
        {"battery 0x1", "ok"}, {"battery 65535", "ok"}, {"battery 7500", "ok"},
        {"message 0x21", "ok"}, {"silent on", "ok"}, {"noise 0.25", "ok"}, {"refuse-blocks 2", "ok"},
        {"advance 000001500", "ok"}, {"quit", "ok"},
    };
    for (const auto& [command, answer] : commands)
        EXPECT_EQ(control(brick, command), answer) << command;
    const BrickState state = brick.snapshot();
    EXPECT_EQ(std::tuple(state.sensors[1].raw, state.battery, state.silent, state.time), std::tuple(511, 7500, true, 1500));
    EXPECT_DOUBLE_EQ(brick.noiseProbability(), 0.25);
    EXPECT_EQ(unframed(sent), (Bytes{0xF7, 0x21}));
    EXPECT_TRUE(BrickControl::isQuit("quit") && !BrickControl::isQuit("quit now"));
    EXPECT_EQ(control(brick, "silent off") + control(brick, "noise 0"), "okok");
    brick.receive(framed({0x51, 0}) + framed({0x23, 0x10, 0x27, 50})); // sound 0, then a tone of 10 kHz for half a second
    EXPECT_NE(control(brick, "state").find(R"("played":[{"sound":0},{"tone":10000,"duration":50}])"), std::string::npos);
    play(brick, {{{0x25, 0, 0, 0, 1, 0}, {{0}}}, {block(0x45, 0, {7}), {{3}}}, {block(0x4D, 0, {7}), {{3}}}, {block(0x45, 0, {7}), {{0}}}});
    EXPECT_EQ(brick.snapshot().programs[0].tasks[0], ByteString{7});
    TemporaryFolder folder;
    EXPECT_EQ(control(brick, "dump firmware " + folder.path("image")), "ok");
    EXPECT_TRUE(std::filesystem::exists(folder.path("image")));
    brick.receive(framed({0x52, 3, 0}));
    for (const char* entry : {"datalog add 1 65535", "datalog add 1 -32768", "datalog add 1 -5"})
        EXPECT_EQ(control(brick, entry), "ok") << entry;
    EXPECT_EQ(std::tuple(brick.snapshot().datalog.entries.at(0).value, brick.snapshot().datalog.entries.at(1).value), std::tuple(-1, -32768));
    brick.receive(framed({0x60}));
    EXPECT_EQ(control(brick, "message 1"), "error: the brick is off");
    EXPECT_EQ(control(brick, "power on"), "ok");
    Brick wall;
    EXPECT_EQ(control(wall, "advance 10"), "error: the clock is not manual");
    // The manual clock stands still: a refused command leaves the state; with room in the datalog a taken entry shows.
    brick.receive(framed({0x5A, 0x10, 0}));
    const std::string before = control(brick, "state");
    for (const char* malformed :
         {"", "status", "state now", "sensor 4 raw 10", "sensor 0 raw 10", "sensor 1 raw 1024", "sensor 1 value 5",
          "sensor 1 raw", "sensor 1 raw 0x", "sensor 1 raw 1e3", "sensor 1 raw +5", "battery -1", "battery -", "battery 65536",
          "battery 12 13", "message 256", "message -1", "datalog add 256 1", "datalog add 1 65536", "datalog add 1 -32769",
          "datalog put 1 1", "datalog add 1", "power off", "power", "silent maybe", "noise 1.5", "noise -0.1", "noise abc",
          "noise", "refuse-blocks -1", "refuse-blocks x", "dump firmware", "dump image x", "history now", "quit now",
          "message 0x0x10", "advance 0000001500", "advance", "advance -1", "advance 1 2", "advance 86400001", "dump firmware /nonexistent/dir/file"}) {
        EXPECT_EQ(control(brick, malformed).rfind("error: ", 0), 0u) << malformed;
        EXPECT_EQ(control(brick, "state"), before) << malformed;
    }
    // An echoed line with control characters inside stays one answer line.
    EXPECT_EQ(control(brick, std::string("go\0on\rnow\x7F", 10)), "error: unknown command: go\\x00on\\x0Dnow\\x7F");
    // One object for several lines: each is read on its own.
    BrickControl reused(brick);
    EXPECT_EQ(reused.run("battery 5000"), "ok");
    EXPECT_EQ(reused.run("state"), control(brick, "state"));
}

// High above the upper limit (100), low below the lower (50), each until back past it by the hysteresis (5).
TEST(Events, RangesChangeAtTheirLimitsAndHoldByTheHysteresis)
{
    const struct { EventType type; std::vector<int> values; std::vector<bool> occurred; } cases[] = {
        {highEvent, {75, 100, 101, 96, 95, 101}, {false, false, true, false, false, true}},
        {lowEvent, {75, 50, 49, 54, 55, 49}, {false, false, true, false, false, true}},
        {normalEvent, {75, 101, 96, 95, 49, 54, 55}, {false, false, false, true, false, false, true}},
    };
    for (const auto& c : cases) {
        EventState event;
        event.configure(0, c.type);
        event.upper = 100, event.lower = 50, event.hysteresis = 5;
        std::vector<bool> occurred;
        for (int value : c.values)
            occurred.push_back(event.occurs({.value = value}, 0));
        EXPECT_EQ(occurred, c.occurred) << int(c.type);
    }
    // The message source shows the last message and whether one arrived.
    BrickState state;
    state.lastMessage = 5, state.messageArrived = true;
    const EventSample message = sampleOf(state, 7, 0);
    EXPECT_EQ(std::pair(message.value, message.message), std::pair(5, true));
    // A click: low, high, low again within the click time (50 hundredths) of leaving low; a double click, two.
    const struct { EventType type; std::vector<std::pair<int, std::int64_t>> samples; int clicks; bool last; } clicks[] = {
        {clickEvent, {{40, 0}, {75, 100}, {101, 200}, {40, 600}}, 1, true},
        {clickEvent, {{40, 0}, {75, 100}, {101, 200}, {40, 601}}, 0, false},
        {clickEvent, {{40, 0}, {101, 100}, {75, 200}, {40, 300}}, 0, false},
        {doubleClickEvent, {{40, 0}, {101, 100}, {40, 200}, {101, 300}, {40, 700}}, 2, true},
        {doubleClickEvent, {{40, 0}, {101, 100}, {40, 200}, {101, 300}, {40, 701}}, 2, false},
    };
    for (const auto& c : clicks) {
        EventState event;
        event.configure(0, c.type);
        event.upper = 100, event.lower = 50;
        bool last = false;
        for (const auto& [value, at] : c.samples)
            last = event.occurs({.value = value}, at);
        EXPECT_EQ(std::pair(event.clicks, last), std::pair(c.clicks, c.last)) << int(c.type) << " " << c.samples.back().second;
    }
}

} // namespace
