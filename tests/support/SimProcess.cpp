#include "support/SimProcess.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

SimProcess::SimProcess(const std::string& program, const std::vector<std::string>& arguments)
{
    std::signal(SIGPIPE, SIG_IGN); // a write to a program that has ended must fail, not end the tests
    int toChild[2], fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0)
        return;
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    if ((child = ::fork()) == 0) {
        ::dup2(toChild[0], STDIN_FILENO);
        ::dup2(fromChild[1], STDOUT_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    input = toChild[1];
    output = fromChild[0];
    if (child > 0)
        terminal = readLine().value_or("");
}

SimProcess::~SimProcess()
{
    closeInput();
    if (child > 0 && !wait())
        ::kill(child, SIGKILL), wait();
    ::close(output);
}

std::string SimProcess::control(const std::string& command)
{
    const std::string line = command + "\n";
    if (input < 0 || ::write(input, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        return "";
    return readLine().value_or("");
}

std::optional<std::string> SimProcess::readLine(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::size_t end;
    while ((end = buffered.find('\n')) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd wait = {output, POLLIN, 0};
        char chunk[4096];
        const ssize_t count = left.count() > 0 && ::poll(&wait, 1, int(left.count())) > 0 ? ::read(output, chunk, sizeof chunk) : 0;
        if (count <= 0)
            return std::nullopt;
        buffered.append(chunk, static_cast<std::size_t>(count));
    }
    std::string line = buffered.substr(0, end);
    buffered.erase(0, end + 1);
    return line;
}

void SimProcess::closeInput()
{
    if (input >= 0)
        ::close(std::exchange(input, -1));
}

void SimProcess::signal(int number)
{
    if (child > 0)
        ::kill(child, number);
}

std::optional<int> SimProcess::wait(std::chrono::milliseconds limit)
{
    // waitpid has no time limit: the child's end is looked for every 5 ms.
    for (const auto deadline = std::chrono::steady_clock::now() + limit; !status && child > 0; ::poll(nullptr, 0, 5)) {
        int raw = 0;
        const pid_t done = ::waitpid(child, &raw, WNOHANG);
        if (done == child)
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        else if (done < 0 || std::chrono::steady_clock::now() > deadline)
            break;
    }
    return status;
}
