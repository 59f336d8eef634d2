#include "rcx/FileReaders.h"
#include "rcx/Localization.h"
#include "rcx/RCXController.h"

#include <cstring>
#include <filesystem>
#include <vector>

namespace {

constexpr std::uint32_t signature = 0x49584352; // "RCXI"
constexpr std::uint32_t newestVersion = 0x0102;
constexpr int codeBlockSize = 20;

enum SymbolType { taskSymbol = 0, subSymbol = 1, variableSymbol = 2 };

const char* const readError = "Error reading file \"%@\"";

// Reads `length` bytes; false when the file ends first.
bool readBytes(std::FILE* file, std::uint8_t* bytes, std::size_t length)
{
    return std::fread(bytes, 1, length, file) == length;
}

} // namespace

int RCXController::sendProgFile(const std::string& path, FileOp& fileOp)
{
    const std::string fileName = fileNameOf(path);
    currentProgName().assign(std::filesystem::path(fileName).stem().string());
    clearCurrentNames();
    fileOp.startFileOp(localizedFormat("Downloading file \"%@\"", {fileName}));

    const char* failure = "Can't open file \"%@\"";
    if (OpenFile file = openFile(path, "rb"))
        failure = downloadProgram(file.get(), fileOp);
    if (failure != nullptr) {
        fileOp.abortFileOp(localizedFormat(failure, {fileName}));
        return 1;
    }
    myRCXSender.sendCode(0x51, {5});
    fileOp.stopFileOp();
    return 0;
}

// The header is checked whole before the slot is cleared; a file that ends
// inside it leaves the brick untouched. Returns the failure's message key,
// or null.
const char* RCXController::downloadProgram(std::FILE* file, FileOp& fileOp)
{
    const std::uint32_t fileSignature = read4(file);
    const std::uint32_t version = read2(file);
    const int fragmentCount = static_cast<int>(read2(file));
    const int symbolCount = static_cast<int>(read2(file));
    const std::uint32_t targetType = read1(file);
    read1(file); // reserved
    if (std::feof(file))
        return readError;
    if (fileSignature != signature)
        return "File \"%@\" has the wrong file signature";
    if (version > newestVersion)
        return "File \"%@\" has an unsupported file version number";
    if (targetType != 0 && targetType != 3)
        return "File \"%@\" is not compiled for the RCX";

    myRCXSender.sendCode(0x50);
    myRCXSender.sendCode(0x40);
    myRCXSender.sendCode(0x70);
    for (int fragment = 0; fragment < fragmentCount; ++fragment)
        if (const char* failure = downloadFragment(file, fragmentCount, fileOp))
            return failure;
    return readSymbols(file, symbolCount);
}

const char* RCXController::downloadFragment(std::FILE* file, int fragmentCount, FileOp& fileOp)
{
    const std::uint32_t type = read1(file);
    const int number = static_cast<int>(read1(file));
    const int length = static_cast<int>(read2(file));
    if (std::feof(file))
        return readError;
    if (type > 1)
        return "File \"%@\" contains an unknown fragment type";

    const int status = myRCXSender.sendCodeGet1(type == 0 ? 0x25 : 0x35, {0, number, 0, length & 0xFF, length >> 8});
    if (status == 1)
        return "RCX memory full";
    if (status == 2)
        return "File \"%@\" contains an illegal task number";

    std::vector<std::uint8_t> code(static_cast<std::size_t>(length));
    std::uint8_t padding[3];
    if (!readBytes(file, code.data(), code.size()) || !readBytes(file, padding, (4 - length) & 3))
        return readError;
    if (!sendBlocks(code.data(), length, codeBlockSize, static_cast<double>(fragmentCount) * length, fileOp))
        return "Too many download errors";
    return nullptr;
}

// A block is sent again until the brick accepts it; only a block that fails
// maxDownloadErrors times in a row ends the transfer, so a long transfer on a
// lossy line is not cut short by failures spread over many blocks.
bool RCXController::sendBlocks(const std::uint8_t* data, int length, int blockSize, double progressTotal,
                               FileOp& fileOp)
{
    int index = 1;
    int remaining = length;
    while (remaining > 0) {
        if (remaining <= blockSize) {
            blockSize = remaining;
            index = 0; // the last block is always block 0
        }
        if (!sendBlock(index, data, blockSize))
            return false;
        data += blockSize;
        remaining -= blockSize;
        ++index;
        fileOp.advanceBy(blockSize * 100.0 / progressTotal);
    }
    return true;
}

bool RCXController::sendBlock(int index, const std::uint8_t* data, int blockSize)
{
    for (int failures = 0; failures < maxDownloadErrors; ++failures)
        if (myRCXSender.sendBlock(static_cast<std::uint16_t>(index), static_cast<std::uint16_t>(blockSize), data) == 0)
            return true;
    return false;
}

const char* RCXController::readSymbols(std::FILE* file, int symbolCount)
{
    for (int symbol = 0; symbol < symbolCount; ++symbol) {
        const int type = static_cast<int>(read1(file));
        const int index = static_cast<int>(read1(file));
        const std::size_t nameLength = read1(file);
        read1(file); // reserved
        if (std::feof(file))
            return readError;
        if (nameLength == 0)
            continue;
        char name[256];
        if (!readBytes(file, reinterpret_cast<std::uint8_t*>(name), nameLength))
            return readError;
        const std::string text(name, ::strnlen(name, nameLength));
        if (text.size() + 1 != nameLength)
            return readError;
        addName(type, index, text);
    }
    return nullptr;
}

// Several symbols for one task, subroutine or variable are all kept, joined
// by ", ". Other types and indexes out of range are dropped.
void RCXController::addName(int type, int index, const std::string& name)
{
    SlotNames* current = slotNames(progNum);
    if (current == nullptr)
        return;
    std::string* target = nullptr;
    if (type == taskSymbol && index < taskCount)
        target = &current->tasks[index];
    else if (type == subSymbol && index < subCount)
        target = &current->subs[index];
    else if (type == variableSymbol && index < varCount)
        target = &current->vars[index];
    else
        return;
    if (!target->empty())
        target->append(", ");
    target->append(name);
}
