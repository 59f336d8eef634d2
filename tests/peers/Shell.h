#pragma once

#include <string>

// A shell command's exit status and standard output (errors included).
struct Outcome {
    int status;
    std::string output;
};

// Runs a shell command with a time limit of 120 s.
Outcome run(const std::string& command);

bool contains(const std::string& text, const std::string& part);
