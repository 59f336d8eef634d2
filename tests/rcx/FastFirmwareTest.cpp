// The fast firmware install against a scripted ROM that speaks either line:
// the bytes on the wire, the line switches, the zero-run cuts, the fall-backs
// and the faults.
#include "support/Recording.h"
#include "support/ScriptedPort.h"

#include "protocol/Firmware.h"
#include "rcx/FastDownloadImage.h"
#include "rcx/RCXLink.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

const std::string signature = "Do you byte, when I knock?";
const Bytes unlockReply(unlockAnswer.begin(), unlockAnswer.end());

// The boot ROM on either line: normal (complements) until it unlocks an image
// that switches it, fast (no complements) from then until it is switched off.
// A packet heard at another speed than the ROM's own is garbage to it.
struct ScriptedRom {
    // What the ROM does with the fast download image at unlock.
    bool switchesAtImage = true;
    bool refusesUnlock = false;
    // Goes silent once it has taken this many fast blocks.
    int silentAfterFastBlocks = -1;
    // Long replies on the fast line carry the opcode's complement.
    bool complementsLongReplies = true;
    LineSpeed line = LineSpeed::normal;
    Bytes image;
    std::vector<std::pair<LineSpeed, Bytes>> commands; // opcode (toggle clear) and arguments
    int fastBlocks = 0;

    void switchOffAndOn() { line = LineSpeed::normal, silentAfterFastBlocks = -1; }

    Bytes respond(const Bytes& packet, LineSpeed portLine)
    {
        if (portLine != line || packet.size() < 5)
            return {};
        Bytes bytes;
        const std::size_t step = line == LineSpeed::normal ? 2 : 1;
        for (std::size_t i = 3; i < packet.size(); i += step)
            bytes.push_back(packet[i]);
        if (std::accumulate(bytes.begin(), bytes.end() - 1, 0) % 256 != bytes.back())
            return {};
        bytes.pop_back();
        const std::uint8_t opcode = bytes[0];
        bytes[0] &= 0xF7;
        commands.emplace_back(line, bytes);
        switch (bytes[0]) {
        case 0x10: return reply(opcode, {});
        case 0x65: return image.clear(), Bytes();
        case 0x75: return image.clear(), reply(opcode, {0});
        case 0x45:
            if (line == LineSpeed::fast && fastBlocks++ == silentAfterFastBlocks)
                return silentAfterFastBlocks = 0, fastBlocks = -1000000, Bytes();
            if (fastBlocks < 0)
                return {};
            image.insert(image.end(), bytes.begin() + 5, bytes.end() - 1);
            return reply(opcode, {0});
        case 0xA5: {
            if (refusesUnlock)
                return {};
            const Bytes answer = reply(opcode, unlockReply);
            if (switchesAtImage && image.size() < 200 && std::search(image.begin(), image.end(), signature.begin(), signature.end()) != image.end())
                line = LineSpeed::fast; // the reply went at the old line
            return answer;
        }
        }
        return {};
    }

    Bytes reply(std::uint8_t opcode, const Bytes& data) const
    {
        const std::uint8_t replyOpcode = static_cast<std::uint8_t>(~opcode);
        if (line == LineSpeed::normal)
            return framed(Bytes{replyOpcode} + data);
        Bytes packet = {0x55, 0xFF, 0x00, replyOpcode};
        if (complementsLongReplies && data.size() > 4)
            packet.push_back(opcode);
        return packet + data + Bytes{static_cast<std::uint8_t>(std::accumulate(data.begin(), data.end(), int(replyOpcode)))};
    }
};

class FastFirmware : public ::testing::Test {
protected:
    FastFirmware()
        : port(*new ScriptedPort)
        , link(listener, std::make_unique<AllPorts>(std::unique_ptr<Port>(&port), std::make_unique<NoPort>()))
    {
        port.setResponder([this](const Bytes& packet) { return rom.respond(packet, port.lineSpeed()); });
        link.port().setPort(AllPorts::serialType, "", "");
        link.packet().startReadLoop();
    }

    std::string install(const Bytes& firmware)
    {
        std::string text;
        for (std::size_t at = 0; at < firmware.size(); at += 16) {
            const std::size_t count = std::min<std::size_t>(16, firmware.size() - at);
            Bytes record = {std::uint8_t(count + 3), std::uint8_t((0x8000 + at) >> 8), std::uint8_t(at)};
            record.insert(record.end(), firmware.begin() + long(at), firmware.begin() + long(at + count));
            record.push_back(std::uint8_t(~std::accumulate(record.begin(), record.end(), 0)));
            text += "S1";
            for (std::uint8_t byte : record)
                text += "0123456789ABCDEF"[byte >> 4], text += "0123456789ABCDEF"[byte & 15];
            text += "\n";
        }
        link.controller().sendFirmware(folder.write("fw.lgo", text + "S9030000FC\n"), fileOp, RCXController::FirmwareSpeed::fast);
        return fileOp.events.back();
    }

    // The opcodes the ROM took, each with the line it came on.
    std::vector<std::pair<LineSpeed, int>> opcodes() const
    {
        std::vector<std::pair<LineSpeed, int>> taken;
        for (const auto& [line, command] : rom.commands)
            taken.emplace_back(line, command[0]);
        return taken;
    }

    std::vector<Bytes> fastBlocks() const
    {
        std::vector<Bytes> blocks;
        for (const auto& [line, command] : rom.commands)
            if (line == LineSpeed::fast && command[0] == 0x45)
                blocks.emplace_back(command.begin() + 5, command.end() - 1);
        return blocks;
    }

    ScriptedRom rom;
    RecordingListener listener;
    ScriptedPort& port;
    RCXLink link;
    TemporaryFolder folder;
    RecordingFileOp fileOp;
};

Bytes firmwareOf(std::size_t count)
{
    Bytes image(count);
    for (std::size_t i = 0; i < count; ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 1 + i / 251);
    std::copy(signature.begin(), signature.end(), image.begin() + 10);
    return image;
}

constexpr auto normal = LineSpeed::normal, fast = LineSpeed::fast;

TEST_F(FastFirmware, TheImageGoesAtNormalSpeedThenTheFirmwareAtTheFastLineInBlocksOfTwoHundred)
{
    const Bytes firmware = firmwareOf(450);
    EXPECT_EQ(install(firmware), "stop");
    EXPECT_EQ(rom.image, firmware);
    const FirmwareFile image = fastDownloadImage(false);
    EXPECT_EQ(opcodes(), (std::vector<std::pair<LineSpeed, int>>{{normal, 0x10}, {normal, 0x65}, {normal, 0x75}, {normal, 0x45}, {normal, 0xA5},
                                                                 {fast, 0x10}, {fast, 0x65}, {fast, 0x75}, {fast, 0x45}, {fast, 0x45}, {fast, 0x45}, {fast, 0xA5}}));
    EXPECT_EQ(rom.commands[3].second, (Bytes{0x45, 0, 0, std::uint8_t(image.image.size()), 0} + image.image +
                                      Bytes{std::uint8_t(std::accumulate(image.image.begin(), image.image.end(), 0))}));
    EXPECT_EQ(fastBlocks(), (std::vector<Bytes>{Bytes(firmware.begin(), firmware.begin() + 200), Bytes(firmware.begin() + 200, firmware.begin() + 400),
                                                Bytes(firmware.begin() + 400, firmware.end())}));
    // The first fast block on the wire: no complements, one checksum byte.
    const Bytes block = Bytes{0x45, 1, 0, 200, 0} + Bytes(firmware.begin(), firmware.begin() + 200);
    const Bytes expected = Bytes{0x55, 0xFF, 0x00} + block + Bytes{std::uint8_t(std::accumulate(firmware.begin(), firmware.begin() + 200, 0))};
    Bytes sent;
    for (const Bytes& written : port.writes())
        if (sent.empty() && written.size() == expected.size() + 1 && (written[3] & 0xF7) == 0x45)
            sent = written;
    ASSERT_FALSE(sent.empty());
    sent[3] &= 0xF7;
    EXPECT_EQ(Bytes(sent.begin(), sent.end() - 1), expected);
    // A probe of the port's fast line first, the switch, back for the new firmware.
    EXPECT_EQ(port.lineSpeeds(), (std::vector{fast, normal, fast, normal}));
    EXPECT_NEAR(std::accumulate(fileOp.increments.begin(), fileOp.increments.end(), 0.0), 100, 1e-9);
    EXPECT_NEAR(fileOp.increments[0], 100.0 * 4 * image.image.size() / (4 * image.image.size() + 450), 1e-9) << "the image counts its normal line's time";
    EXPECT_EQ(listener.failures(), 0);
}

TEST_F(FastFirmware, BlocksAreCutBeforeARunOfZerosTheReceiverWouldLoseItsSyncOn)
{
    Bytes firmware = firmwareOf(600);
    std::fill(firmware.begin() + 100, firmware.begin() + 190, 0);  // 90 zeros
    std::fill(firmware.begin() + 300, firmware.begin() + 322, 0);  // 22: no cut
    EXPECT_EQ(install(firmware), "stop");
    EXPECT_EQ(rom.image, firmware);
    std::vector<std::size_t> sizes;
    for (const Bytes& block : fastBlocks()) {
        sizes.push_back(block.size());
        int run = 0, longest = 0;
        for (std::uint8_t byte : block)
            longest = std::max(longest, run = byte == 0 ? run + 1 : 0);
        EXPECT_LE(longest, 22);
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{122, 22, 22, 22, 200, 200, 12}));
}

TEST_F(FastFirmware, FallsBackToNormalSpeedWhereTheRomAllowsAndSaysSo)
{
    const Bytes firmware = firmwareOf(250);
    const struct { const char* name; std::function<void()> arrange; std::string note; int fastCommands; } cases[] = {
        {"port without a fast line", [&] { port.refuseSpeeds(true); }, "The port cannot change its speed: the firmware goes at normal speed", 0},
        {"ROM that does not switch", [&] { rom.switchesAtImage = false; }, "The RCX does not answer at the fast speed: the firmware goes at normal speed", 0},
        // Two alive probes: the present line's first, then the fast line's.
        {"ROM already on the fast line", [&] { rom.line = fast; }, "", 7},
    };
    for (const auto& c : cases) {
        rom = {};
        fileOp = {};
        port.refuseSpeeds(false);
        c.arrange();
        EXPECT_EQ(install(firmware), "stop") << c.name;
        EXPECT_EQ(rom.image, firmware) << c.name;
        EXPECT_EQ(std::count_if(rom.commands.begin(), rom.commands.end(), [](const auto& c) { return c.first == fast; }), c.fastCommands) << c.name;
        EXPECT_EQ(fileOp.notes, c.note.empty() ? std::vector<std::string>{} : std::vector{c.note}) << c.name;
        EXPECT_NEAR(std::accumulate(fileOp.increments.begin(), fileOp.increments.end(), 0.0), 100, 1e-9) << c.name;
        EXPECT_EQ(port.lineSpeed(), normal) << c.name;
    }
    EXPECT_EQ(listener.failures(), 0);
}

TEST_F(FastFirmware, FaultsEndWithTheirMessageAndTheLinkWorksOnceTheBrickIsSwitchedOffAndOn)
{
    const std::string switchOff = "Switch the RCX off and on, then install the firmware again.";
    const struct { const char* name; std::size_t size; int silentAfter; bool refusesFirmware; std::string event; bool sent; } cases[] = {
        {"too large", 0xEF51 - 0x8000 + 1, -1, false, "abort File \"fw.lgo\" is too large for the fast download", false},
        {"silent half-way", 1000, 2, false, "abort The firmware did not get through at the fast speed. " + switchOff, true},
        {"refused at unlock", 300, -1, true, "abort The RCX refused the firmware. " + switchOff, true},
    };
    for (const auto& c : cases) {
        rom = {};
        fileOp = {};
        rom.silentAfterFastBlocks = c.silentAfter;
        // The image is unlocked; the firmware, on the fast line, not.
        port.setResponder([&](const Bytes& packet) {
            rom.refusesUnlock = c.refusesFirmware && rom.line == fast;
            return rom.respond(packet, port.lineSpeed());
        });
        EXPECT_EQ(install(firmwareOf(c.size)), c.event) << c.name;
        EXPECT_EQ(!rom.commands.empty(), c.sent) << c.name << ": a file refused leaves the brick alone";
        EXPECT_EQ(port.lineSpeed(), normal) << c.name;
        EXPECT_TRUE(fileOp.notes.empty()) << c.name;
        rom.switchOffAndOn();
        EXPECT_TRUE(link.sender().isAlive()) << c.name << ": the next poll";
    }
}

} // namespace
