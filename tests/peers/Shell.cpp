#include "Shell.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>

Outcome run(const std::string& command)
{
    Outcome result{-1, ""};
    FILE* pipe = ::popen(("timeout 120 " + command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> chunk;
    while (std::size_t count = std::fread(chunk.data(), 1, chunk.size(), pipe))
        result.output.append(chunk.data(), count);
    const int raw = ::pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}
