#pragma once

#include <string>

// Sends standard output to a temporary file while it lives, so that tests can
// read the diagnostics printed by any thread.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::string text() const;
    // Waits until the text contains `part`.
    bool waitFor(const std::string& part) const;

private:
    int savedStdout;
    int captureFile;
};
