#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A compiled RCX program file ("rcx"), read and checked whole before any of
// it goes to the brick: the tasks and subroutines in file order, and the
// names its symbol records give.
struct CompiledProgram {
    struct Fragment {
        int type; // 0 task, 1 subroutine
        int number; // task 0-9, subroutine 0-7
        std::vector<std::uint8_t> code;
    };
    struct Symbol {
        int type; // 0 task, 1 subroutine, 2 variable; others name nothing
        int index;
        std::string name;
    };

    std::vector<Fragment> fragments;
    // Only the records that carry a name.
    std::vector<Symbol> symbols;
};

// Reads the program from the start of `file`. Returns null, or the message
// key of what is wrong with the file (a short header, fragment, padding,
// symbol record or name; the signature; the version; the target; a fragment
// type; a task or subroutine number the brick does not have).
const char* readCompiledProgram(std::FILE* file, CompiledProgram& program);
