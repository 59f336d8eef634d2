#include "sim/Brick.h"
#include "sim/BrickControl.h"
#include "support/ScriptedPort.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

namespace {

// A brick heard directly, without a tower: what it sends is collected.
class BrickTest : public ::testing::Test {
protected:
    explicit BrickTest(bool firmware = true)
        : brick(firmware)
    {
        brick.setTransmitter([this](const ByteString& bytes) { sent.insert(sent.end(), bytes.begin(), bytes.end()); });
    }

    // Sends a framed command and returns what the brick sent back.
    Bytes exchange(const Bytes& command) { return hear(framed(command)); }
    Bytes hear(const Bytes& bytes)
    {
        sent.clear();
        brick.receive(bytes);
        return sent;
    }
    // A reply as the brick frames it: the complement of the opcode byte,
    // then the data.
    static Bytes reply(std::uint8_t opcode, Bytes data = {})
    {
        data.insert(data.begin(), static_cast<std::uint8_t>(~opcode));
        return framed(data);
    }
    // A download block: number, length, data and data checksum.
    static Bytes block(std::uint8_t opcode, int number, const Bytes& data)
    {
        Bytes command = {opcode, static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
            static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(data.size() >> 8)};
        command.insert(command.end(), data.begin(), data.end());
        command.push_back(static_cast<std::uint8_t>(std::accumulate(data.begin(), data.end(), 0)));
        return command;
    }

    Brick brick;
    Bytes sent;
};

class RomBrickTest : public BrickTest {
protected:
    RomBrickTest()
        : BrickTest(false)
    {
    }
};

TEST_F(BrickTest, RepliesWithTheComplementOfTheOpcodeByteAsReceived)
{
    EXPECT_EQ(exchange({0x10}), hex("55 FF 00 EF 10 EF 10"));
    EXPECT_EQ(exchange({0x18}), hex("55 FF 00 E7 18 E7 18"));
    brick.setBattery(9004);
    EXPECT_EQ(exchange({0x30}), hex("55 FF 00 CF 30 2C D3 23 DC 1E E1"));
}

TEST_F(BrickTest, ARepeatedOpcodeByteGetsTheLastReplyWithoutActingAgain)
{
    EXPECT_EQ(exchange({0x14, 3, 2, 5, 0}), reply(0x14));
    EXPECT_EQ(exchange({0x14, 3, 2, 7, 0}), reply(0x14));
    EXPECT_EQ(brick.snapshot().variables[3], 5);
    EXPECT_EQ(exchange({0x1C, 3, 2, 7, 0}), reply(0x1C));
    EXPECT_EQ(brick.snapshot().variables[3], 7);
    // The repeat of a read answers the old value, even when it has changed.
    EXPECT_EQ(exchange({0x12, 0, 3}), reply(0x12, {7, 0}));
    exchange({0x1C, 3, 2, 9, 0});
    EXPECT_EQ(exchange({0x1A, 0, 3}), reply(0x1A, {9, 0}));
    EXPECT_EQ(brick.history().size(), 6u);
}

TEST_F(BrickTest, RemoteCommandsAndMessagesActEveryTimeWithoutAReply)
{
    EXPECT_TRUE(exchange({0xD2, 0x00, 0x00}).empty());
    EXPECT_TRUE(exchange({0xD2, 0x80, 0x00}).empty());
    EXPECT_TRUE(exchange({0xD2, 0x00, 0x00}).empty());
    EXPECT_TRUE(exchange({0xD2, 0x80, 0x00}).empty());
    EXPECT_TRUE(exchange({0xF7, 4}).empty());
    EXPECT_TRUE(exchange({0xF7, 4}).empty());
    const BrickState state = brick.snapshot();
    EXPECT_EQ(state.remote, (std::vector<std::uint16_t>{0x0000, 0x0080, 0x0000, 0x0080}));
    EXPECT_EQ(state.messages, (std::vector<std::uint8_t>{4, 4}));
    EXPECT_EQ(exchange({0x12, 15, 0}), reply(0x12, {4, 0}));
}

TEST_F(BrickTest, RemoteMotorButtonsRunAnOutputWhileHeld)
{
    exchange({0xD2, 0x00, 0x40}); // A reverse
    EXPECT_EQ(brick.snapshot().outputs[0].mode, OutputMode::On);
    EXPECT_FALSE(brick.snapshot().outputs[0].forward);
    exchange({0xD2, 0x00, 0x00});
    EXPECT_EQ(brick.snapshot().outputs[0].mode, OutputMode::Off);
}

TEST_F(BrickTest, OutputStatusByteEncodesPowerDirectionAndState)
{
    exchange({0x13, 5, 2, 3});
    exchange({0x21, 0x85});
    exchange({0xE1, 0x05});
    EXPECT_EQ(exchange({0x12, 3, 0}), reply(0x12, {0x83, 0}));
    EXPECT_EQ(exchange({0x1A, 3, 1}), reply(0x1A, {0x0F, 0}));
    exchange({0xE9, 0x45}); // flip A and C
    exchange({0x29, 0x44});
    EXPECT_EQ(exchange({0x12, 3, 2}), reply(0x12, {0x4B, 0}));
    exchange({0x21, 0x01});
    EXPECT_EQ(exchange({0x1A, 3, 0}), reply(0x1A, {0x0B, 0}));
}

TEST_F(BrickTest, SetVariableTakesItsValueFromTheSource)
{
    exchange({0x14, 5, 2, 0xFE, 0xFF});
    EXPECT_EQ(brick.snapshot().variables[5], -2);
    brick.setSensorRaw(1, 700);
    exchange({0x1C, 6, 9, 1, 0});
    EXPECT_EQ(brick.snapshot().variables[6], 700);
    exchange({0x14, 7, 0, 5, 0});
    EXPECT_EQ(brick.snapshot().variables[7], -2);
}

struct Conversion {
    std::uint8_t modeByte;
    std::vector<int> raws;
    int value;
};

class SensorConversionTest : public ::testing::TestWithParam<Conversion> {};

TEST_P(SensorConversionTest, ValueFollowsTheRawReadingsByMode)
{
    SensorState sensor;
    sensor.setModeByte(GetParam().modeByte);
    for (int raw : GetParam().raws)
        sensor.setRaw(raw);
    EXPECT_EQ(sensor.value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Modes, SensorConversionTest,
    ::testing::Values(Conversion{0x00, {512}, 512}, Conversion{0x20, {300}, 1}, Conversion{0x20, {300, 500}, 1},
        Conversion{0x20, {300, 600}, 0}, Conversion{0x2A, {300, 320}, 0}, Conversion{0x2A, {300, 305}, 1},
        Conversion{0x40, {300, 600, 300, 600}, 4}, Conversion{0x60, {300, 600, 300, 600, 300}, 2},
        Conversion{0x80, {1023}, 0}, Conversion{0x80, {400}, 89}, Conversion{0x80, {100}, 100},
        Conversion{0xA0, {785}, 0}, Conversion{0xA0, {625}, 200}, Conversion{0xA0, {0}, 700},
        Conversion{0xA0, {1023}, -200}, Conversion{0xC0, {625}, 680}, Conversion{0xE0, {100, 300, 600, 900, 100}, 5},
        Conversion{0xE0, {900, 600, 300}, -2}));

TEST_F(BrickTest, SensorTypeAndModeAreReadBack)
{
    brick.setSensorRaw(3, 10);
    brick.setSensorRaw(-1, 10);
    brick.setSensorRaw(0, 5000);
    EXPECT_EQ(brick.snapshot().sensors[0].raw, 1023);
    exchange({0x32, 2, 3});
    exchange({0x42, 2, 0x8A});
    EXPECT_EQ(exchange({0x12, 10, 2}), reply(0x12, {3, 0}));
    EXPECT_EQ(exchange({0x1A, 11, 2}), reply(0x1A, {0x8A, 0}));
    brick.setSensorRaw(2, 400);
    EXPECT_EQ(exchange({0x12, 9, 2}), reply(0x12, {89, 0}));
}

TEST_F(BrickTest, MemoryMapHas94WordsInMemoryOrder)
{
    const Bytes map = exchange({0x20});
    ASSERT_EQ(map.size(), 5u + 2 * 189);
    EXPECT_EQ(map[3], 0xDF);
    auto word = [&map](int k) { return map[5 + 4 * k] << 8 | map[7 + 4 * k]; };
    EXPECT_EQ(word(0), ProgramMemory::start);
    EXPECT_EQ(word(92), ProgramMemory::start);
    EXPECT_EQ(word(93), ProgramMemory::end);

    exchange({0x91, 1});
    exchange({0x35, 0, 2, 0, 10, 0});
    exchange({0x25, 0, 0, 0, 4, 0});
    exchange({0x52, 5, 0});
    const auto words = brick.snapshot().memoryMap();
    EXPECT_EQ(words[8 + 2], ProgramMemory::start);      // sub 2 of slot 1
    EXPECT_EQ(words[8 + 3], ProgramMemory::start + 10); // its end
    EXPECT_EQ(words[50], ProgramMemory::start + 10);    // task 0 of slot 1
    EXPECT_EQ(words[51], ProgramMemory::start + 14);
    EXPECT_EQ(words[90], ProgramMemory::start + 14);    // datalog, entry 0 used
    EXPECT_EQ(words[91], ProgramMemory::start + 17);
    EXPECT_EQ(words[92], ProgramMemory::start + 14 + 18);
    EXPECT_EQ(brick.snapshot().freeMemory(), ProgramMemory::size - 32);
}

TEST_F(BrickTest, CodeArrivesInNumberedBlocksEndingWithBlockZero)
{
    exchange({0x91, 2});
    EXPECT_EQ(exchange({0x25, 0, 3, 0, 5, 0}), reply(0x25, {0}));
    EXPECT_EQ(exchange(block(0x45, 1, {1, 2})), reply(0x45, {0}));
    EXPECT_EQ(exchange(block(0x4D, 2, {3, 4})), reply(0x4D, {0}));
    EXPECT_EQ(exchange(block(0x45, 0, {5})), reply(0x45, {0}));
    EXPECT_EQ(brick.snapshot().programs[2].tasks[3], (ByteString{1, 2, 3, 4, 5}));

    EXPECT_EQ(exchange({0x3D, 0, 7, 0, 1, 0}), reply(0x3D, {0}));
    EXPECT_EQ(exchange(block(0x4D, 0, {9})), reply(0x4D, {0}));
    EXPECT_EQ(brick.snapshot().programs[2].subs[7], (ByteString{9}));
    EXPECT_EQ(brick.snapshot().programs[0].tasks[3], ByteString{});
}

TEST_F(BrickTest, BlockStatusesNameWhatWentWrong)
{
    EXPECT_EQ(exchange(block(0x45, 1, {1})), reply(0x45, {Brick::blockOutOfSequence}));
    exchange({0x25, 0, 0, 0, 4, 0});
    EXPECT_EQ(exchange(block(0x4D, 2, {1, 2})), reply(0x4D, {Brick::blockOutOfSequence}));
    Bytes garbled = block(0x45, 1, {1, 2});
    garbled.back() ^= 1;
    EXPECT_EQ(exchange(garbled), reply(0x45, {Brick::blockChecksumError}));
    EXPECT_EQ(BrickControl(brick).run("refuse-blocks 1"), "ok");
    EXPECT_EQ(exchange(block(0x4D, 1, {1, 2})), reply(0x4D, {Brick::blockChecksumError}));
    EXPECT_EQ(exchange(block(0x45, 1, {1, 2})), reply(0x45, {0}));
    // The same block again after a lost status: acknowledged, stored once.
    EXPECT_EQ(exchange(block(0x4D, 1, {1, 2})), reply(0x4D, {0}));
    EXPECT_EQ(exchange(block(0x45, 0, {3, 4, 5})), reply(0x45, {Brick::blockOutOfSequence}));
    EXPECT_EQ(exchange(block(0x4D, 0, {3, 4})), reply(0x4D, {0}));
    EXPECT_EQ(brick.snapshot().programs[0].tasks[0], (ByteString{1, 2, 3, 4}));
}

TEST_F(BrickTest, BeginDownloadRefusesCodeThatDoesNotFitOrHasNoNumber)
{
    constexpr int room = ProgramMemory::size;
    EXPECT_EQ(exchange({0x25, 0, 10, 0, 1, 0}), reply(0x25, {2}));
    EXPECT_EQ(exchange({0x35, 0, 8, 0, 1, 0}), reply(0x35, {2}));
    EXPECT_EQ(exchange({0x2D, 0, 0, 0, room & 0xFF, room >> 8}), reply(0x2D, {0}));
    EXPECT_EQ(exchange({0x3D, 0, 0, 0, 1, 0}), reply(0x3D, {1}));
    // The task being replaced gives back its room.
    EXPECT_EQ(exchange({0x25, 0, 0, 0, room & 0xFF, room >> 8}), reply(0x25, {0}));
    EXPECT_EQ(exchange({0x52, 1, 0}), reply(0x52, {1}));
}

TEST_F(BrickTest, DatalogEntriesUploadAfterTheirCount)
{
    EXPECT_EQ(exchange({0x52, 3, 0}), reply(0x52, {0}));
    EXPECT_TRUE(brick.addDatalogEntry(0x03, 120));
    EXPECT_TRUE(brick.addDatalogEntry(0x41, -5));
    EXPECT_EQ(exchange({0xA4, 0, 0, 3, 0}), reply(0xA4, {0xFF, 3, 0, 0x03, 120, 0, 0x41, 0xFB, 0xFF}));
    EXPECT_EQ(exchange({0xAC, 3, 0, 1, 0}), reply(0xAC, {0, 0, 0}));
    EXPECT_TRUE(exchange({0xA4, 3, 0, 2, 0}).empty());
    EXPECT_TRUE(brick.addDatalogEntry(0x80, 1));
    EXPECT_FALSE(brick.addDatalogEntry(0x80, 2));
    // Setting the size again empties the datalog.
    exchange({0x5A, 3, 0});
    EXPECT_EQ(brick.snapshot().datalog.used(), 1);
}

TEST_F(BrickTest, ProgramsRunFromTheCurrentSlot)
{
    exchange({0x71, 0});
    EXPECT_FALSE(brick.snapshot().running());
    exchange({0x25, 0, 0, 0, 1, 0});
    exchange(block(0x45, 0, {0x81}));
    exchange({0x79, 0});
    EXPECT_TRUE(brick.snapshot().running());
    exchange({0x50});
    EXPECT_FALSE(brick.snapshot().running());
    exchange({0x71, 0});
    exchange({0x91, 4});
    EXPECT_FALSE(brick.snapshot().running());
    EXPECT_EQ(exchange({0x12, 8, 0}), reply(0x12, {4, 0}));
}

TEST_F(BrickTest, PowerOffSilencesTheBrickUntilPowerOn)
{
    EXPECT_TRUE(exchange({0x60}).empty());
    EXPECT_TRUE(exchange({0x18}).empty());
    EXPECT_FALSE(brick.sendMessage(1));
    EXPECT_EQ(brick.history().size(), 1u);
    brick.powerOn();
    EXPECT_EQ(exchange({0x18}), reply(0x18));
}

TEST_F(BrickTest, ASilentBrickActsButSendsNothing)
{
    brick.setSilent(true);
    EXPECT_TRUE(exchange({0x14, 1, 2, 9, 0}).empty());
    EXPECT_EQ(brick.snapshot().variables[1], 9);
    brick.setSilent(false);
    EXPECT_EQ(exchange({0x10}), reply(0x10));
}

TEST_F(BrickTest, BrokenPacketsAreIgnoredAndTheNextOneIsFound)
{
    const BrickState before = brick.snapshot();
    Bytes broken = framed({0x14, 1, 2, 9, 0});
    broken[6] ^= 0x10; // complement broken
    Bytes wrongSum = framed({0x14, 1, 2, 9, 0});
    wrongSum[13] = static_cast<std::uint8_t>(wrongSum[13] + 1);
    wrongSum[14] = static_cast<std::uint8_t>(~wrongSum[13]);
    Bytes truncated = framed({0x14, 1, 2, 9, 0});
    truncated.resize(8);
    Bytes oversized = hex("55 FF 00 45 BA 01 FE 00 FF 01 FE 02 FD"); // 513 bytes announced
    for (const Bytes& bad : {hex("00 12 FF 55 55 FF"), broken, wrongSum, truncated, oversized, framed({0x01}), framed({0x0F, 2})})
        EXPECT_TRUE(hear(bad).empty());
    EXPECT_EQ(brick.snapshot().variables, before.variables);
    EXPECT_EQ(exchange({0x10}), reply(0x10));

    // A packet that starts inside the debris of a broken one.
    Bytes debris = hex("55 FF 00 45 BA 01 FE 00 FF");
    const Bytes alive = framed({0x18});
    debris.insert(debris.end(), alive.begin(), alive.end());
    EXPECT_EQ(hear(debris), reply(0x18));
    EXPECT_EQ(brick.history().back(), (ByteString{0x18}));
}

TEST_F(BrickTest, VersionsNameTheRomAndTheFirmware)
{
    EXPECT_EQ(exchange({0x15, 1, 3, 5, 7, 11}), reply(0x15, {0, 3, 0, 1, 0, 3, 0, 9}));
    EXPECT_TRUE(exchange({0x1D, 1, 3, 5, 7, 12}).empty());
}

TEST_F(RomBrickTest, WithoutFirmwareOnlyTheRomAnswers)
{
    EXPECT_EQ(exchange({0x10}), reply(0x10));
    EXPECT_EQ(exchange({0x1D, 1, 3, 5, 7, 11}), reply(0x1D, {0, 3, 0, 1, 0, 0, 0, 0}));
    EXPECT_TRUE(exchange({0x12, 0, 0}).empty());
    EXPECT_TRUE(exchange({0x20}).empty());
    EXPECT_TRUE(exchange({0x25, 0, 0, 0, 1, 0}).empty());
    EXPECT_EQ(exchange({0x38}), reply(0x38, {0x28, 0x23}));
}

// An image with the signature, and its announced checksum.
Bytes firmwareImage(std::size_t size)
{
    Bytes image(size);
    for (std::size_t i = 0; i < size; ++i)
        image[i] = static_cast<std::uint8_t>(i * 7);
    const std::string signature = "Do you byte, when I knock?";
    std::copy(signature.begin(), signature.end(), image.begin() + 40);
    return image;
}

TEST_F(BrickTest, FirmwareIsInstalledWhenChecksumAndSignatureHold)
{
    EXPECT_TRUE(exchange({0x75, 0, 0x80, 0, 0, 0}).empty());
    EXPECT_TRUE(exchange({0x65, 1, 3, 5, 7, 12}).empty());
    EXPECT_EQ(exchange({0x65, 1, 3, 5, 7, 11}), reply(0x65));
    EXPECT_FALSE(brick.snapshot().firmware.present);

    const Bytes image = firmwareImage(20000);
    const int sum = std::accumulate(image.begin(), image.begin() + 19456, 0) & 0xFFFF;
    EXPECT_EQ(exchange({0x7D, 0x00, 0x80, static_cast<std::uint8_t>(sum), static_cast<std::uint8_t>(sum >> 8), 0}),
        reply(0x7D, {0}));
    int number = 1;
    std::uint8_t toggle = 0;
    for (std::size_t at = 0; at < image.size(); at += 200, ++number) {
        const bool last = at + 200 >= image.size();
        const Bytes data(image.begin() + static_cast<std::ptrdiff_t>(at),
            image.begin() + static_cast<std::ptrdiff_t>(std::min(at + 200, image.size())));
        toggle ^= 8;
        ASSERT_EQ(exchange(block(0x45 | toggle, last ? 0 : number, data)), reply(0x45 | toggle, {0}));
    }
    const Bytes text(std::begin("Just a bit off the block!"), std::end("Just a bit off the block!") - 1);
    EXPECT_EQ(exchange({0xA5, 0x4C, 0x45, 0x47, 0x4F, 0xAE}), reply(0xA5, text));
    const BrickState state = brick.snapshot();
    EXPECT_TRUE(state.firmware.present);
    EXPECT_TRUE(state.firmware.unlocked);
    EXPECT_EQ(state.firmware.image, image);
    EXPECT_EQ(state.firmware.address, 0x8000);
    EXPECT_EQ(exchange({0x12, 8, 0}), reply(0x12, {0, 0}));
}

TEST_F(RomBrickTest, AWrongChecksumOrNoSignatureLeavesTheFirmwareAbsent)
{
    const Bytes image = firmwareImage(300);
    const int sum = std::accumulate(image.begin(), image.end(), 0);
    exchange({0x75, 0x00, 0x80, static_cast<std::uint8_t>(sum + 1), static_cast<std::uint8_t>(sum >> 8), 0});
    EXPECT_EQ(exchange(block(0x45, 0, image)), reply(0x45, {Brick::firmwareChecksumError}));
    EXPECT_TRUE(exchange({0xA5, 0x4C, 0x45, 0x47, 0x4F, 0xAE}).empty());

    const Bytes plain(300, 1);
    exchange({0x7D, 0x00, 0x80, 300 & 0xFF, 300 >> 8, 0});
    EXPECT_EQ(exchange(block(0x4D, 0, plain)), reply(0x4D, {0}));
    EXPECT_TRUE(exchange({0xAD, 0x4C, 0x45, 0x47, 0x4F, 0xAE}).empty());
    EXPECT_FALSE(brick.snapshot().firmware.present);
}

TEST_F(BrickTest, MessagesFromTheBrickAreFramedLikeTheHostsOwn)
{
    EXPECT_TRUE(brick.sendMessage(5));
    EXPECT_EQ(sent, hex("55 FF 00 F7 08 05 FA FC 03"));
}

TEST_F(BrickTest, NoiseIsReproducibleForASeed)
{
    auto run = [this] {
        brick.setNoise(0.3, 42);
        Bytes all;
        for (int i = 0; i < 50; ++i) {
            const Bytes got = exchange({static_cast<std::uint8_t>(i % 2 ? 0x10 : 0x18)});
            all.insert(all.end(), got.begin(), got.end());
        }
        return all;
    };
    const Bytes first = run();
    EXPECT_EQ(run(), first);
    EXPECT_LT(first.size(), 50u * 7);
    EXPECT_GT(first.size(), 0u);
}

} // namespace
