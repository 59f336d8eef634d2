#pragma once

#include "support/Bytes.h"

// Compiled program files made byte by byte.
struct ProgramFile {
    struct Fragment { int type; int number; Bytes code; }; // type 0: task, 1: subroutine
    // Type 0: task, 1: subroutine, 2: variable; the name is written with its terminating zero.
    struct Symbol { int type; int index; std::string name; };
    std::vector<Fragment> fragments = {};
    std::vector<Symbol> symbols = {};
    int version = 0x0102;
    int targetType = 0;

    // Header, fragments with their padding, symbols.
    Bytes bytes() const;
};

// `count` bytes of code that differ from block to block.
Bytes codeOf(int count, int seed = 0);
