#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// infrabrick-cli as a child process, its standard output on a pipe and its
// standard error on a pipe or on a pseudo-terminal.
class CliProcess {
public:
    struct Ended {
        int status; // -1: killed by a signal
        std::string out;
        std::string err;
    };

    explicit CliProcess(const std::vector<std::string>& arguments, bool errorsOnTerminal = false);
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    void signal(int number);
    // Standard output until it holds `text`; false if the program ended or
    // `limit` passed first.
    bool awaitOutput(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(60));
    // Reads both outputs to their end and reaps the program.
    Ended wait();

private:
    bool readSome(int descriptor, std::string& into, int timeoutMs);

    pid_t child = -1;
    int out = -1;
    int err = -1;
    std::string outText;
    std::string errText;
};

// Runs infrabrick-cli to its end.
CliProcess::Ended runCli(const std::vector<std::string>& arguments, bool errorsOnTerminal = false);
