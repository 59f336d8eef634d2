#pragma once

#include "support/ScriptedPort.h"

#include <string>
#include <vector>

// Compiled program files made byte by byte, for tests.
struct Fragment {
    int type; // 0 task, 1 subroutine
    int number;
    Bytes code;
};

struct Symbol {
    int type; // 0 task, 1 subroutine, 2 variable
    int index;
    std::string name; // written with its terminating zero
};

struct ProgramFile {
    std::vector<Fragment> fragments = {};
    std::vector<Symbol> symbols = {};
    int version = 0x0102;
    int targetType = 0;

    // The file's bytes: header, fragments with their padding, symbols.
    Bytes bytes() const;
};

// A program of `count` bytes of code whose bytes differ from block to block.
Bytes codeOf(int count, int seed = 0);

// What a program file holds, read here on its own terms so that downloads are
// checked against an independent reading.
struct ProgramContents {
    struct Code {
        int type;
        int number;
        Bytes code;
        bool operator==(const Code&) const = default;
    };
    std::vector<Code> fragments;
    // "task 0 main", "var 2 level", … in file order
    std::vector<std::string> names;
};

ProgramContents contentsOf(const Bytes& file);

Bytes readAll(const std::string& path);
