#include "VirtualBrick.h"

#include "protocol/Opcodes.h"

VirtualBrick::VirtualBrick(bool firmwarePresent)
    : brick(firmwarePresent)
{
    brick.setTransmitter([this](const ByteString& bytes) { port.feed(bytes); });
    port.setResponder([this](const Bytes& packet) {
        const auto found = answers.find(unframed(packet).at(0));
        if (found == answers.end())
            return brick.receive(packet), Bytes();
        brick.setSilent(true);
        brick.receive(packet);
        brick.setSilent(false);
        const std::optional<Bytes> data = found->second(unframed(packet));
        return data ? framed(Bytes{static_cast<std::uint8_t>(~packet[3])} + *data) : Bytes();
    });
    packet.startReadLoop();
}

std::vector<Command> VirtualBrick::commands() const
{
    std::vector<Command> commands = brick.history();
    for (Command& command : commands)
        command[0] = withoutToggle(command[0]);
    return commands;
}

std::vector<Block> VirtualBrick::blocks() const
{
    std::vector<Block> sent;
    for (const Command& c : commands())
        if (c[0] == 0x45)
            sent.push_back({c[1] + 256 * c[2], Bytes(c.begin() + 5, c.begin() + 5 + c[3] + 256 * c[4])});
    return sent;
}
