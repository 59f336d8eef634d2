#include "VirtualBrick.h"

VirtualBrick::VirtualBrick(bool firmwarePresent)
    : brick(firmwarePresent)
{
    port.openPort("brick");
    packet.startReadLoop();
}

std::vector<Command> VirtualBrick::commands() const
{
    std::vector<Command> commands = brick.history();
    for (Command& command : commands)
        command[0] &= static_cast<std::uint8_t>(~0x08);
    return commands;
}

std::vector<Block> VirtualBrick::blocks() const
{
    std::vector<Block> sent;
    for (const Command& command : commands())
        if (command[0] == 0x45)
            sent.push_back({command[1] + 256 * command[2],
                            Bytes(command.begin() + 5, command.begin() + 5 + command[3] + 256 * command[4])});
    return sent;
}

std::vector<std::string> VirtualBrick::names(int slot)
{
    std::vector<std::string> names;
    auto add = [&names](const char* kind, int index, const std::string& name) {
        if (!name.empty())
            names.push_back(std::string(kind) + " " + std::to_string(index) + " " + name);
    };
    for (int task = 1; task <= 10; ++task)
        add("task", task - 1, controller.taskName(slot, task));
    for (int sub = 1; sub <= 8; ++sub)
        add("sub", sub - 1, controller.subName(slot, sub));
    for (int variable = 0; variable < 32; ++variable)
        add("var", variable, controller.varName(slot, variable));
    return names;
}
