#include "CliProcess.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

CliProcess::CliProcess(const std::vector<std::string>& arguments, bool errorsOnTerminal)
{
    int outPipe[2], errEnds[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0)
        return;
    if (errorsOnTerminal ? ::openpty(&errEnds[0], &errEnds[1], nullptr, nullptr, nullptr) != 0
                         : ::pipe2(errEnds, O_CLOEXEC) != 0)
        return;
    std::vector<char*> argv = {const_cast<char*>(INFRABRICK_CLI)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    if ((child = ::fork()) == 0) {
        ::dup2(outPipe[1], STDOUT_FILENO);
        ::dup2(errEnds[1], STDERR_FILENO);
        ::execv(INFRABRICK_CLI, argv.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errEnds[1]);
    out = outPipe[0];
    err = errEnds[0];
}

CliProcess::~CliProcess()
{
    if (child > 0)
        ::kill(child, SIGKILL), wait();
}

void CliProcess::signal(int number)
{
    ::kill(child, number);
}

bool CliProcess::readSome(int descriptor, std::string& into, int timeoutMs)
{
    pollfd ready = {descriptor, POLLIN, 0};
    char chunk[4096];
    const ssize_t count = descriptor >= 0 && ::poll(&ready, 1, timeoutMs) > 0 ? ::read(descriptor, chunk, sizeof chunk) : 0;
    if (count > 0)
        into.append(chunk, static_cast<std::size_t>(count));
    return count > 0;
}

bool CliProcess::awaitOutput(const std::string& text, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (outText.find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !readSome(out, outText, static_cast<int>(left.count())))
            return false;
    }
    return true;
}

CliProcess::Ended CliProcess::wait()
{
    // Both outputs to their end (a pseudo-terminal whose other end closed
    // reads as an error rather than as 0 bytes).
    for (bool outOpen = true, errOpen = true; outOpen || errOpen;) {
        pollfd ready[] = {{outOpen ? out : -1, POLLIN, 0}, {errOpen ? err : -1, POLLIN, 0}};
        if (::poll(ready, 2, 120000) <= 0)
            break;
        if (ready[0].revents)
            outOpen = readSome(out, outText, 0);
        if (ready[1].revents)
            errOpen = readSome(err, errText, 0);
    }
    int raw = 0;
    ::waitpid(child, &raw, 0);
    child = -1;
    ::close(out), ::close(err);
    out = err = -1;
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, outText, errText};
}

CliProcess::Ended runCli(const std::vector<std::string>& arguments, bool errorsOnTerminal)
{
    return CliProcess(arguments, errorsOnTerminal).wait();
}
