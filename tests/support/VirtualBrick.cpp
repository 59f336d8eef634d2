#include "support/VirtualBrick.h"

#include "protocol/Opcodes.h"

#include <algorithm>

namespace {

// The host's side of a serial tower on `speed`.
HostSettings hostOn(LineSpeed speed)
{
    return speed == LineSpeed::fast ? HostSettings{4800, Parity::none} : HostSettings{2400, Parity::odd};
}

} // namespace

VirtualBrick::VirtualBrick(bool firmwarePresent)
    : brick(firmwarePresent)
    , port(*new ScriptedPort)
    , link(listener, std::make_unique<AllPorts>(std::unique_ptr<Port>(&port), std::make_unique<NoPort>()))
{
    brick.setTransmitter([this](const ByteString& bytes, const LineSettings& line) {
        Bytes heard(bytes.begin(), bytes.end());
        if (!hostOn(port.lineSpeed()).agreeWith(line))
            std::transform(heard.begin(), heard.end(), heard.begin(), garbled);
        port.feed(heard);
    });
    port.setResponder([this](const Bytes& written) { return respond(written); });
    link.port().setPort(AllPorts::serialType, port.portNameAtIndex(0), port.portPathAtIndex(0));
    packet.startReadLoop();
}

Bytes VirtualBrick::respond(const Bytes& written)
{
    const HostSettings host = hostOn(port.lineSpeed());
    Bytes heard = written;
    if (onTheLine)
        onTheLine(heard);
    const auto found = answers.find(withoutToggle(written.at(3))); // the opcode, in either framing
    if (found == answers.end()) {
        brick.receive(heard, host);
        if (afterEach)
            afterEach();
        return {};
    }
    brick.setSilent(true);
    brick.receive(heard, host);
    brick.setSilent(false);
    const std::optional<Bytes> data = found->second(unframed(written));
    return data ? framed(Bytes{static_cast<std::uint8_t>(~written[3])} + *data) : Bytes();
}

void VirtualBrick::switchOffAndOn()
{
    brick.receive(brick.lineMode().complements ? framed({0x60}) : hex("55 FF 00 60 60"));
    brick.powerOn();
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
