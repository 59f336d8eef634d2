#pragma once

#include <string>

// The receiver of a file transfer's start, progress and end. A transfer calls
// startFileOp once before it sends anything, advanceBy after each block, and
// ends with exactly one of stopFileOp (success) or abortFileOp (failure, with
// the complete message). abortFileOp may come without a startFileOp.
class FileOp {
public:
    virtual ~FileOp() = default;
    virtual void startFileOp(const std::string& title) = 0;
    // Percentage points; the increments of one transfer add up to at most 100.
    virtual void advanceBy(double increment) = 0;
    virtual void abortFileOp(const std::string& message) = 0;
    virtual void stopFileOp() = 0;
    // A word on how the transfer goes on (it changed its way, say), for the
    // one who watches it; between startFileOp and the end.
    virtual void noteFileOp(const std::string&) {}
};
