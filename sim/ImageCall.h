#pragma once

#include "sim/BrickState.h"
#include "sim/h8300/H8Cpu.h"

#include <cstdint>

// The ROM's call of an image it has just unlocked: the image's machine code
// runs in the H8/300 interpreter from its announced address, with the line's
// registers as the ROM left them. A fast download image changes them and
// returns; a whole firmware does not return within the budget, or meets an
// instruction the interpreter does not have.
//
// The ROM's own routines are not here. A call into one comes back at once,
// registers and memory as they were: fast download images call the ROM on
// their way (to routines that do not touch the line), so such a call does not
// make an image a firmware. A jump into the ROM with the ROM's own return
// address on top of the stack returns.
constexpr std::uint64_t imageCallBudget = 1'000'000;

// Runs `firmware`'s image loaded where the ROM puts it, at the end of the
// ROM; `line` takes what the code left in the registers.
h8300::CallOutcome callImage(const FirmwareState& firmware, LineRegisters& line);
