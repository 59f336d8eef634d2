#pragma once

#include <string>
#include <sys/types.h>

// A pseudo-terminal pair whose master side plays the tower in tests; the
// port under test opens the slave side by its path.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& slavePath() const { return path; }
    int master() const { return masterFd; }
    // Closes the master side, as when the program behind it ends.
    void closeMaster();
    // Reads exactly `count` bytes from the master side, waiting up to 5 s.
    std::string read(std::size_t count);
    void write(const std::string& bytes);

private:
    int masterFd = -1;
    std::string path;
};

// Waits until thread `tid` of this process sleeps in the kernel (blocked in
// a wait), up to 5 s.
bool waitUntilBlocked(pid_t tid);
