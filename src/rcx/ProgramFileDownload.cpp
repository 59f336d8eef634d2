#include "rcx/ProgramFileDownload.h"

#include "rcx/FileReaders.h"
#include "rcx/Localization.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace {

// A file of its own in the temporary folder, removed when it goes.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& suffix)
    {
        const char* named = std::getenv("TMPDIR");
        folder = named != nullptr && *named != '\0' ? named : "/tmp";
        std::string pattern = (std::filesystem::path(folder) / ("infrabrick-XXXXXX" + suffix)).string();
        const int descriptor = ::mkstemps(pattern.data(), static_cast<int>(suffix.size()));
        if (descriptor < 0)
            return;
        ::close(descriptor);
        name = pattern;
    }
    ~TemporaryFile()
    {
        if (!name.empty())
            ::unlink(name.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Empty when the file could not be made.
    const std::string& path() const { return name; }
    const std::string& inFolder() const { return folder; }

private:
    std::string folder;
    std::string name;
};

Compilation refusal(std::string text)
{
    Compilation refused;
    refused.outcome = Compilation::failed;
    refused.text = std::move(text);
    return refused;
}

} // namespace

ProgramFileDownload::ProgramFileDownload(RCXController& controller, NqcCompiler compiler)
    : myRCXController(controller)
    , myCompiler(std::move(compiler))
{
}

bool ProgramFileDownload::isSource(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char letter) { return std::tolower(letter); });
    return extension.compare(".nqc") == 0;
}

ProgramFileDownload::Result ProgramFileDownload::download(const std::string& path, FileOp& fileOp,
                                                          const std::function<bool()>& whenReady)
{
    if (isSource(path))
        return downloadSource(path, fileOp, whenReady);
    return send(path, fileNameOf(path), fileOp, whenReady);
}

ProgramFileDownload::Result ProgramFileDownload::downloadSource(const std::string& path, FileOp& fileOp,
                                                                const std::function<bool()>& whenReady)
{
    const std::string fileName = fileNameOf(path);
    if (!openFile(path, "r"))
        return {RCXController::progFileRefused, refusal(localizedFormat("Can't open file \"%@\"", {fileName}))};
    const TemporaryFile compiled(".rcx");
    if (compiled.path().empty())
        return {RCXController::progFileRefused,
                refusal(localizedFormat("Can't write the compiled program into the temporary folder \"%@\"",
                                        {compiled.inFolder()}))};
    Compilation compilation = myCompiler.compile(path, myTarget, compiled.path());
    if (!compilation.succeeded())
        return {RCXController::progFileRefused, std::move(compilation)};
    return send(compiled.path(), fileName, fileOp, whenReady);
}

ProgramFileDownload::Result ProgramFileDownload::send(const std::string& path, const std::string& fileName,
                                                      FileOp& fileOp, const std::function<bool()>& whenReady)
{
    if (whenReady && !whenReady())
        return {RCXController::progFileRefused, std::nullopt};
    return {myRCXController.sendProgFile(path, fileName, fileOp), std::nullopt};
}
