#include "cli/Subcommand.h"

#include "cli/commands/Commands.h"

const std::vector<const Subcommand*>& subcommands()
{
    static const std::vector<const Subcommand*> all = {
        &towersCommand, &statusCommand, &downloadCommand, &firmwareCommand, &flashCommand, &datalogCommand,
        &runCommand, &stopCommand, &stopAllCommand, &beepCommand, &soundCommand, &messageCommand,
        &watchCommand, &offCommand, &sleepCommand, &variablesCommand, &variableCommand, &memoryCommand,
        &motorCommand, &sensorCommand, &rawCommand,
    };
    return all;
}

const Subcommand* findSubcommand(const QString& name)
{
    for (const Subcommand* command : subcommands())
        if (name == command->name)
            return command;
    return nullptr;
}
