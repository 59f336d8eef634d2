#include "ScriptedBrick.h"

#include "link/PacketTables.h"

#include <fstream>
#include <iterator>
#include <random>

namespace {

constexpr int downloadOpcode = 0x45;
constexpr int uploadOpcode = 0xA4;

// Zeros as long as the reply to `command`, without its opcode.
std::optional<Bytes> zeroReply(const Command& command)
{
    const int opcode = command[0];
    if (opcode == uploadOpcode)
        return Bytes(3 * (command[3] + 256 * command[4]), 0);
    const int length = replyLength(~opcode & 0xFF);
    if (length <= 0)
        return std::nullopt;
    return Bytes(static_cast<std::size_t>(length - 1), 0);
}

} // namespace

Command unframed(const Bytes& packet)
{
    Command command;
    // Header, then byte/complement pairs; the last pair is the checksum.
    for (std::size_t i = 3; i + 3 < packet.size(); i += 2)
        command.push_back(packet[i]);
    if (!command.empty())
        command[0] &= static_cast<std::uint8_t>(~0x08);
    return command;
}

ScriptedBrick::ScriptedBrick()
{
    port.setResponder([this](const Bytes& written) -> Bytes {
        const Command command = unframed(written);
        const auto found = answers.find(command[0]);
        const std::optional<Bytes> data = found != answers.end() ? found->second(command) : zeroReply(command);
        if (!data)
            return {};
        Bytes reply = *data;
        reply.insert(reply.begin(), static_cast<std::uint8_t>(~written[3]));
        return framed(reply);
    });
    // A brick that took the firmware image says so to the unlock.
    answer(0xA5, [](const Command&) {
        const std::string answer = "Just a bit off the block!";
        return Bytes(answer.begin(), answer.end());
    });
    packet.startReadLoop();
}

void ScriptedBrick::answer(int opcode, Answer answer)
{
    answers[opcode] = std::move(answer);
}

std::vector<Command> ScriptedBrick::commands()
{
    std::vector<Command> received;
    for (const Bytes& written : port.writes())
        received.push_back(unframed(written));
    return received;
}

std::vector<int> ScriptedBrick::opcodes()
{
    std::vector<int> received;
    for (const Command& command : commands())
        received.push_back(command[0]);
    return received;
}

std::vector<Block> ScriptedBrick::blocks()
{
    std::vector<Block> sent;
    for (const Command& command : commands()) {
        if (command[0] != downloadOpcode)
            continue;
        const int length = command[3] + 256 * command[4];
        sent.push_back({command[1] + 256 * command[2], Bytes(command.begin() + 5, command.begin() + 5 + length)});
    }
    return sent;
}

TemporaryFolder::TemporaryFolder()
{
    std::random_device random;
    folder = std::filesystem::temp_directory_path() / ("infrabrick-rcx-" + std::to_string(random()));
    std::filesystem::create_directories(folder);
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::string TemporaryFolder::write(const std::string& name, const Bytes& contents) const
{
    std::ofstream file(folder / name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(contents.data()), static_cast<std::streamsize>(contents.size()));
    return path(name);
}

std::string TemporaryFolder::write(const std::string& name, const std::string& contents) const
{
    return write(name, Bytes(contents.begin(), contents.end()));
}

Bytes TemporaryFolder::read(const std::string& name) const
{
    std::ifstream file(folder / name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
