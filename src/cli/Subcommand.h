#pragma once

#include <QStringList>

#include <vector>

class Invocation;

// One option of a subcommand: its names, its help text (a localization
// key) and, for an option that takes a value, the value's name.
struct OptionDefinition {
    QStringList names;
    const char* description;
    const char* valueName = nullptr;
};

// One subcommand: its name, what its arguments look like and how many it
// takes, its help text (a localization key), its options, and what it does.
// `run` returns the exit status.
struct Subcommand {
    const char* name;
    const char* synopsis;
    const char* summary;
    int fewestArguments;
    int mostArguments;
    std::vector<OptionDefinition> options;
    int (*run)(Invocation& invocation);
};

// Every subcommand, in the order the help lists them.
const std::vector<const Subcommand*>& subcommands();
const Subcommand* findSubcommand(const QString& name);
