#pragma once

#include "sim/BrickState.h"
#include "sim/h8300/H8Cpu.h"

#include <cstdint>

// The ROM's call of an image it has just unlocked: the image's machine code
// runs in the H8/300 interpreter from its announced address, with the line's
// registers as the ROM left them. A fast download image changes them and
// returns; a whole firmware never returns within the budget, or soon calls
// into the ROM, whose code is not there.
constexpr std::uint64_t imageCallBudget = 1'000'000;

// Runs `firmware`'s image loaded where the ROM puts it, at the end of the
// ROM; `line` takes what the code left in the registers.
h8300::CallOutcome callImage(const FirmwareState& firmware, LineRegisters& line);
