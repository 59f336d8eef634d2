#pragma once

#include "cli/Invocation.h"

// What firmware and flash share: the --fast option, and one install of the
// file the first argument names.
extern const OptionDefinition fastOption;

// Installs the firmware at the speed --fast asks for; says what the transfer
// noted on its way (a fall back to normal speed).
void installFirmware(Invocation& invocation, RCXController& brick, ProgressBar& progress);
