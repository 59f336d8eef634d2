#pragma once

#include <chrono>
#include <string>
#include <vector>

// The brick generation a program is compiled for: RCX 1.0 and 1.5 take the
// same bytecode, RCX 2.0 knows more of it.
enum class BrickTarget { rcx, rcx2 };

// The target for a brick type as the preferences name it ("RCX 1.0",
// "RCX 1.5", "RCX 2.0"); an unknown or empty type is taken for the older
// bricks, whose programs run on every RCX.
BrickTarget targetOfBrickType(const std::string& brickType);

// One error as the compiler reported it: the file as it named it (relative
// to the source's folder), the line (0 when it named none) and its message.
struct CompileError {
    std::string file;
    int line = 0;
    std::string message;

    bool operator==(const CompileError&) const = default;
};

// What a compilation came to. Every outcome but `compiled` leaves the output
// file unusable; `text` then holds the complete, localized message, the
// errors one to a line as "file:line: message".
struct Compilation {
    enum Outcome { compiled, failed, notInstalled, timedOut };

    Outcome outcome = compiled;
    std::vector<CompileError> errors;
    std::string text;

    bool succeeded() const { return outcome == compiled; }
};

// Debian's NQC compiler, run as a child process. The source's folder is its
// working folder and on its include path, so that the errors name files as
// the source's own #include lines do. A compiler that has not finished
// within the time limit is killed.
class NqcCompiler {
public:
    static constexpr std::chrono::milliseconds defaultTimeLimit{30000};

    // `program` is looked up on PATH unless it holds a slash.
    static constexpr const char* debianProgram{"nqc"};

    explicit NqcCompiler(std::string program = debianProgram, std::chrono::milliseconds timeLimit = defaultTimeLimit);

    Compilation compile(const std::string& sourcePath, BrickTarget target, const std::string& outputPath) const;

    // The errors in the compiler's output: each "Error:" line with the
    // "File ... ; line ..." line that follows it. Warnings are left out.
    static std::vector<CompileError> parseErrors(const std::string& output);

private:
    struct Run;
    Run run(const std::vector<std::string>& arguments, const std::string& folder) const;

    std::string myProgram;
    std::chrono::milliseconds myTimeLimit;
};
