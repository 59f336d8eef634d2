#pragma once

#include <string>

// Standard output, from every thread, into a file the test reads.
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
    int savedStdout, captureFile;
};
