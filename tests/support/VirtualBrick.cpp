#include "support/VirtualBrick.h"

#include "protocol/Opcodes.h"

// The scripted tower is the port list's serial port, beside no USB tower.
VirtualBrick::VirtualBrick(bool firmwarePresent)
    : brick(firmwarePresent)
    , port(*new ScriptedPort)
    , link(listener, std::make_unique<AllPorts>(std::unique_ptr<Port>(&port), std::make_unique<NoPort>()))
{
    brick.setTransmitter([this](const ByteString& bytes, const LineSettings&) { port.feed(bytes); });
    port.setResponder([this](const Bytes& written) { return respond(written); });
    link.port().setPort(AllPorts::serialType, port.portNameAtIndex(0), port.portPathAtIndex(0));
    packet.startReadLoop();
}

Bytes VirtualBrick::respond(const Bytes& written)
{
    const auto found = answers.find(unframed(written).at(0));
    if (found == answers.end())
        return brick.receive(written), Bytes();
    brick.setSilent(true);
    brick.receive(written);
    brick.setSilent(false);
    const std::optional<Bytes> data = found->second(unframed(written));
    return data ? framed(Bytes{static_cast<std::uint8_t>(~written[3])} + *data) : Bytes();
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
        if (c[0] == Opcode::transferData)
            sent.push_back({c[1] + 256 * c[2], Bytes(c.begin() + 5, c.begin() + 5 + c[3] + 256 * c[4])});
    return sent;
}
