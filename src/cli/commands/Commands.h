#pragma once

#include "cli/Subcommand.h"

// The subcommands, one unit each.
extern const Subcommand towersCommand;
extern const Subcommand statusCommand;
extern const Subcommand downloadCommand;
extern const Subcommand firmwareCommand;
extern const Subcommand flashCommand;
extern const Subcommand datalogCommand;
extern const Subcommand runCommand;
extern const Subcommand stopCommand;
extern const Subcommand stopAllCommand;
extern const Subcommand beepCommand;
extern const Subcommand soundCommand;
extern const Subcommand messageCommand;
extern const Subcommand watchCommand;
extern const Subcommand offCommand;
extern const Subcommand sleepCommand;
extern const Subcommand variablesCommand;
extern const Subcommand variableCommand;
extern const Subcommand memoryCommand;
extern const Subcommand motorCommand;
extern const Subcommand sensorCommand;
extern const Subcommand rawCommand;
