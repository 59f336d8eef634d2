#include "rcx/NqcCompiler.h"

#include "rcx/FileReaders.h"
#include "rcx/Localization.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <regex>
#include <sstream>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A pipe whose ends are closed when it goes.
struct Pipe {
    Pipe()
    {
        if (::pipe2(ends, O_CLOEXEC) != 0)
            ends[0] = ends[1] = -1;
    }
    ~Pipe()
    {
        closeEnd(0);
        closeEnd(1);
    }
    void closeEnd(int end)
    {
        if (ends[end] >= 0)
            ::close(ends[end]);
        ends[end] = -1;
    }
    int ends[2];
};

std::string errorLines(const std::vector<CompileError>& errors)
{
    std::string lines;
    for (const CompileError& error : errors) {
        lines += error.file;
        if (error.line > 0)
            lines.append(":").append(std::to_string(error.line));
        lines.append(": ").append(error.message).append("\n");
    }
    return lines;
}

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \n");
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \n") - first + 1);
}

} // namespace

BrickTarget targetOfBrickType(const std::string& brickType)
{
    static const std::string newest{"RCX 2.0"};
    return brickType == newest ? BrickTarget::rcx2 : BrickTarget::rcx;
}

struct NqcCompiler::Run {
    enum Ending { exited, notFound, timedOut } ending;
    int status = 0;
    std::string output;
};

NqcCompiler::NqcCompiler(std::string program, std::chrono::milliseconds timeLimit)
    : myProgram(std::move(program))
    , myTimeLimit(timeLimit)
{
}

Compilation NqcCompiler::compile(const std::string& sourcePath, BrickTarget target,
                                 const std::string& outputPath) const
{
    const std::filesystem::path source = std::filesystem::absolute(sourcePath);
    const std::string folder = source.parent_path().string();
    const Run ran = run({myProgram, target == BrickTarget::rcx2 ? "-TRCX2" : "-TRCX", "-I" + folder,
                         "-O" + outputPath, source.filename().string()},
                        folder);
    Compilation result;
    switch (ran.ending) {
    case Run::notFound:
        result.outcome = Compilation::notInstalled;
        result.text = localized("NQC is not installed. Install the nqc package to download NQC programs.");
        return result;
    case Run::timedOut:
        result.outcome = Compilation::timedOut;
        result.text = localizedFormat("NQC did not finish compiling \"%@\" within %d seconds and was stopped.",
                                      {fileNameOf(sourcePath), static_cast<int>(myTimeLimit.count() / 1000)});
        return result;
    case Run::exited:
        break;
    }
    if (ran.status == 0)
        return result;
    result.outcome = Compilation::failed;
    result.errors = parseErrors(ran.output);
    // A failure the compiler gave no error line for still says what it said.
    if (result.errors.empty())
        result.errors.push_back({source.filename().string(), 0, trimmed(ran.output)});
    result.text = localizedFormat("\"%@\" has errors and was not downloaded:", {fileNameOf(sourcePath)}) + "\n"
                  + errorLines(result.errors);
    return result;
}

std::vector<CompileError> NqcCompiler::parseErrors(const std::string& output)
{
    static const std::regex report(R"re(^#? ?(Error|Warning): (.*)$)re");
    static const std::regex place(R"re(^File "(.*)" ; line (\d+)$)re");
    std::vector<CompileError> errors;
    bool inError = false;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_match(line, match, report)) {
            inError = match[1].str().compare("Error") == 0;
            if (inError)
                errors.push_back({"", 0, match[2]});
        } else if (inError && std::regex_match(line, match, place) && errors.back().file.empty()) {
            errors.back().file = match[1];
            errors.back().line = std::stoi(match[2]);
        }
    }
    return errors;
}

// The child writes its output and errors into one pipe, read here until it
// closes or the time limit passes.
NqcCompiler::Run NqcCompiler::run(const std::vector<std::string>& arguments, const std::string& folder) const
{
    Pipe output;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_adddup2(&actions, output.ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output.ends[1], STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, myProgram.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return {Run::notFound, 0, {}};
    output.closeEnd(1);

    Run ran{Run::exited, 0, {}};
    const Clock::time_point deadline = Clock::now() + myTimeLimit;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd readable{output.ends[0], POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&readable, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            ::kill(child, SIGKILL);
            ran.ending = Run::timedOut;
            break;
        }
        char chunk[4096];
        const ssize_t count = ::read(output.ends[0], chunk, sizeof chunk);
        if (count <= 0)
            break;
        ran.output.append(chunk, static_cast<std::size_t>(count));
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return ran;
}
