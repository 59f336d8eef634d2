#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// infrabrick-sim as a child process on pipes; its first line is its terminal's path.
class SimProcess {
public:
    SimProcess(const std::string& program, const std::vector<std::string>& arguments = {});
    // Ends the program (end of input, then SIGKILL after 5 s) and reaps it.
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The pseudo-terminal's path; empty if the program did not print one.
    const std::string& path() const { return terminal; }
    // One control command's answer line; empty if none came within 5 s.
    std::string control(const std::string& command);
    std::string history() { return control("history"); }
    std::string state() { return control("state"); }
    std::optional<std::string> readLine(std::chrono::milliseconds limit = std::chrono::seconds(5));
    void closeInput();
    void signal(int number);
    // The exit status (-1: a signal) once the program ended within `limit`.
    std::optional<int> wait(std::chrono::milliseconds limit = std::chrono::seconds(5));

private:
    pid_t child = -1;
    int input = -1, output = -1;
    std::string buffered, terminal;
    std::optional<int> status;
};
