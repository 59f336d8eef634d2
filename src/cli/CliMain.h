#pragma once

#include "cli/Interruption.h"

#include <QStringList>

// infrabrick-cli's command line, git style: the global options, then a
// subcommand with its own arguments and options (the global ones allowed
// among them). Answers --help and --version, names a wrong subcommand,
// option or argument count (exit status 2), or runs the subcommand.
// Returns the exit status.
int runCommandLine(const QStringList& arguments, Interruption& interruption);
