#pragma once

#include "rcx/NqcCompiler.h"
#include "rcx/RCXController.h"

#include <functional>
#include <optional>
#include <string>

// Downloads a program file into the current slot: a compiled program as it
// stands, an NQC source compiled first into a temporary file. Either way the
// transfer is sendProgFile's, and the slot is named after the file given. A
// source that does not compile never reaches the brick: the slot keeps its
// program and its names.
class ProgramFileDownload {
public:
    struct Result {
        RCXController::ProgFileResult transfer;
        // Set when the source did not compile (or could not be); nothing
        // was sent, and the transfer's receiver heard nothing.
        std::optional<Compilation> compileFailure;
    };

    explicit ProgramFileDownload(RCXController& controller, NqcCompiler compiler = NqcCompiler());

    // Whether the path names an NQC source (".nqc", in any case).
    static bool isSource(const std::string& path);

    // The brick generation sources are compiled for.
    void setTarget(BrickTarget target) { myTarget = target; }
    BrickTarget target() const { return myTarget; }

    // Runs `whenReady`, if given, once the file is ready to send and before
    // anything is sent: there the brick is made ready for it (its slot
    // chosen, say), or the download is called off by false, refused.
    Result download(const std::string& path, FileOp& fileOp, const std::function<bool()>& whenReady = nullptr);

private:
    Result downloadSource(const std::string& path, FileOp& fileOp, const std::function<bool()>& whenReady);
    Result send(const std::string& path, const std::string& fileName, FileOp& fileOp,
                const std::function<bool()>& whenReady);

    RCXController& myRCXController;
    NqcCompiler myCompiler;
    BrickTarget myTarget = BrickTarget::rcx;
};
