#include "PseudoTerminal.h"

#include "support/ScriptedPort.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
    : masterFd(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
{
    EXPECT_GE(masterFd, 0);
    EXPECT_EQ(grantpt(masterFd), 0);
    EXPECT_EQ(unlockpt(masterFd), 0);
    char name[128] = {};
    EXPECT_EQ(ptsname_r(masterFd, name, sizeof name), 0);
    path = name;
}

PseudoTerminal::~PseudoTerminal()
{
    closeMaster();
}

void PseudoTerminal::closeMaster()
{
    if (masterFd >= 0)
        ::close(masterFd);
    masterFd = -1;
}

std::string PseudoTerminal::read(std::size_t count)
{
    std::string bytes;
    char buffer[4096];
    while (bytes.size() < count) {
        pollfd wait = {masterFd, POLLIN, 0};
        if (poll(&wait, 1, 5000) != 1)
            break;
        const ssize_t n = ::read(masterFd, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

void PseudoTerminal::write(const std::string& bytes)
{
    ASSERT_EQ(::write(masterFd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

bool waitUntilBlocked(pid_t tid)
{
    return waitUntil([tid] {
        std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
        std::string line;
        std::getline(stat, line);
        // The state follows the command name, which is in parentheses.
        const auto close = line.rfind(')');
        return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'S';
    });
}
