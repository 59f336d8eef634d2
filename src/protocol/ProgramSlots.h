#pragma once

// The brick's program memory: five program slots, each with its tasks and
// subroutines, and the global variables that all of them share. The memory
// map (0x20) gives the start of every task's and subroutine's code, then of
// the datalog and the free memory, in words high byte first.
constexpr int programSlots = 5;
constexpr int tasksPerSlot = 10;
constexpr int subsPerSlot = 8;
constexpr int globalVariables = 32;
constexpr int memoryMapWords = 94;
