#pragma once

// What the tests of other programs on the virtual brick share.
#include "support/Recording.h"

#include <array>
#include <string>
#include <sys/wait.h>

// A shell command's exit status and its output, errors included.
inline std::pair<int, std::string> run(const std::string& command)
{
    std::string output;
    FILE* pipe = ::popen(("timeout 120 " + command + " 2>&1").c_str(), "r");
    std::array<char, 4096> chunk;
    while (std::size_t count = std::fread(chunk.data(), 1, chunk.size(), pipe))
        output.append(chunk.data(), count);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
