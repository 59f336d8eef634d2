#include "support/StdoutCapture.h"

#include "support/Bytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/mman.h>
#include <unistd.h>

StdoutCapture::StdoutCapture()
    : savedStdout(dup(STDOUT_FILENO))
    , captureFile(memfd_create("stdout", MFD_CLOEXEC))
{
    std::fflush(stdout);
    dup2(captureFile, STDOUT_FILENO);
}

StdoutCapture::~StdoutCapture()
{
    // GoogleTest reports failures on standard output too: show them.
    const std::string captured = ::testing::Test::HasFailure() ? text() : std::string();
    std::fflush(stdout);
    dup2(savedStdout, STDOUT_FILENO);
    if (!captured.empty())
        std::fprintf(stdout, "--- captured standard output ---\n%s--- end ---\n", captured.c_str());
    close(savedStdout);
    close(captureFile);
}

std::string StdoutCapture::text() const
{
    std::fflush(stdout);
    std::string result;
    char buffer[4096];
    for (ssize_t count; (count = pread(captureFile, buffer, sizeof buffer, off_t(result.size()))) > 0;)
        result.append(buffer, static_cast<std::size_t>(count));
    return result;
}

bool StdoutCapture::waitFor(const std::string& part) const
{
    return waitUntil([&] { return text().find(part) != std::string::npos; });
}
