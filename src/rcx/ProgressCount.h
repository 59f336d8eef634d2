#pragma once

#include "rcx/FileOp.h"

#include <algorithm>
#include <cstddef>

// A transfer's progress passed on to its receiver, with the share done kept:
// a transfer that changes its way spreads what is left over the new way.
class ProgressCount : public FileOp {
public:
    explicit ProgressCount(FileOp& fileOp) : fileOp(fileOp) {}

    void startFileOp(const std::string& title) override { fileOp.startFileOp(title); }
    void advanceBy(double increment) override
    {
        done += increment;
        fileOp.advanceBy(increment);
    }
    void abortFileOp(const std::string& message) override { fileOp.abortFileOp(message); }
    void stopFileOp() override { fileOp.stopFileOp(); }
    void noteFileOp(const std::string& note) override { fileOp.noteFileOp(note); }

    // The progress total (in bytes) that makes `bytes` take the rest of the
    // 100 percentage points.
    double totalForRest(std::size_t bytes) const
    {
        return static_cast<double>(bytes) * 100.0 / std::max(100.0 - done, 1e-6);
    }

private:
    FileOp& fileOp;
    double done = 0.0;
};
