// NQC sources compiled by Debian's nqc and downloaded like compiled programs, and what its failures come to.
#include "support/VirtualBrick.h"

#include "rcx/ProgramFileDownload.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <sys/stat.h>

namespace {

using Clock = std::chrono::steady_clock;

const std::string fixtures = INFRABRICK_RCX_FIXTURES;

class SourceDownload : public ::testing::Test {
protected:
    ProgramFileDownload::Result download(const std::string& path) { return files.download(path, fileOp); }

    TemporaryFolder folder;
    VirtualBrick brick;
    RCXController& controller = brick.controller;
    ProgramFileDownload files{controller};
    RecordingFileOp fileOp;
};

TEST_F(SourceDownload, ASourceIsCompiledForTheBrickTypeAndNamedAfterItself)
{
    const std::string source = folder.path("Blink Ü.NQC");
    std::filesystem::copy_file(fixtures + "/blink.nqc", source);
    controller.selectProgram(2);
    ASSERT_EQ(download(source).transfer, RCXController::progFileDownloaded);
    const ProgramSlot compiled = brick.brick.snapshot().programs[1];
    EXPECT_EQ(controller.progName(2) + " " + controller.varName(2, 0), "Blink Ü count");
    EXPECT_EQ(fileOp.events, (std::vector<std::string>{"start Downloading file \"Blink Ü.NQC\"", "stop"}));

    controller.selectProgram(3);
    ASSERT_EQ(controller.sendProgFile(fixtures + "/blink.rcx", fileOp), RCXController::progFileDownloaded);
    EXPECT_EQ(compiled.tasks, brick.brick.snapshot().programs[2].tasks);
}

TEST_F(SourceDownload, ErrorsNameTheirFileAndLineAndNothingReachesTheBrick)
{
    folder.write("motors.nqh", "void forward()\n{\n  OnFwd(OUT_A)\n}\n");
    const std::string source = folder.write("robot.nqc", "#include \"motors.nqh\"\ntask main()\n{\n  forward();\n}\n");
    const std::string missing = folder.write("lost.nqc", "#include \"nowhere.nqh\"\ntask main() {}\n");
    controller.selectProgram(1);
    ASSERT_EQ(controller.sendProgFile(fixtures + "/blink.rcx", fileOp), RCXController::progFileDownloaded);
    brick.brick.clearHistory();
    fileOp.events.clear();

    const ProgramFileDownload::Result failed = download(source);
    ASSERT_TRUE(failed.compileFailure);
    EXPECT_EQ(failed.transfer, RCXController::progFileRefused);
    EXPECT_EQ(failed.compileFailure->errors, (std::vector<CompileError>{{"motors.nqh", 4, "syntax error"}}));
    EXPECT_EQ(failed.compileFailure->text, "\"robot.nqc\" has errors and was not downloaded:\nmotors.nqh:4: syntax error\n");
    EXPECT_EQ(download(missing).compileFailure->errors, (std::vector<CompileError>{{"lost.nqc", 1, "could not open file nowhere.nqh"}}));
    EXPECT_TRUE(brick.commands().empty() && fileOp.events.empty());
    EXPECT_EQ(controller.progName(1) + " " + controller.varName(1, 0), "blink count");
}

TEST_F(SourceDownload, ACompilerMissingOrHungAndAnUnwritableTemporaryFolderAreToldAndSendNothing)
{
    const std::string source = folder.write("a.nqc", "task main() {}\n");
    const std::string hung = folder.write("hung", "#!/bin/sh\nexec sleep 60\n");
    ::chmod(hung.c_str(), 0755);

    ProgramFileDownload missing(controller, NqcCompiler(folder.path("no-such-compiler")));
    EXPECT_EQ(missing.download(source, fileOp).compileFailure->text, "NQC is not installed. Install the nqc package to download NQC programs.");

    const auto started = Clock::now();
    ProgramFileDownload hanging(controller, NqcCompiler(hung, std::chrono::milliseconds(300)));
    const ProgramFileDownload::Result stopped = hanging.download(source, fileOp);
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
    ASSERT_TRUE(stopped.compileFailure);
    EXPECT_EQ(stopped.compileFailure->outcome, Compilation::timedOut);

    ::setenv("TMPDIR", folder.path("gone").c_str(), 1);
    const ProgramFileDownload::Result unwritable = download(source);
    ::unsetenv("TMPDIR");
    EXPECT_EQ(unwritable.compileFailure->text, "Can't write the compiled program into the temporary folder \"" + folder.path("gone") + "\"");
    EXPECT_TRUE(brick.commands().empty() && fileOp.events.empty());
}

// Each error takes the place that follows it, warnings are left out; the brick type chooses the target.
TEST(NqcCompiler, ReadsItsErrorsAndTakesTheTargetOfTheBrickType)
{
    const std::string output = "# Error: undefined variable 'x'\nFile \"two.nqc\" ; line 5\n#  x = 3;\n#  ^\n"
                               "#------\n# Warning: unused\nFile \"two.nqc\" ; line 6\n"
                               "Error: could not open file \"gone.nqc\"\n# 2 errors during compilation\n";
    EXPECT_EQ(NqcCompiler::parseErrors(output),
              (std::vector<CompileError>{{"two.nqc", 5, "undefined variable 'x'"}, {"", 0, "could not open file \"gone.nqc\""}}));
    for (const auto& [type, target] :
         {std::pair("RCX 1.0", BrickTarget::rcx), {"RCX 1.5", BrickTarget::rcx}, {"RCX 2.0", BrickTarget::rcx2}, {"", BrickTarget::rcx}})
        EXPECT_EQ(targetOfBrickType(type), target) << type;
}

} // namespace
