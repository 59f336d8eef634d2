#include "protocol/Opcodes.h"
#include "protocol/Words.h"
#include "rcx/CompiledProgram.h"
#include "rcx/FileReaders.h"
#include "rcx/Localization.h"
#include "rcx/RCXController.h"

#include <filesystem>

namespace {

constexpr int codeBlockSize = 20;

enum SymbolType { taskSymbol = 0, subSymbol = 1, variableSymbol = 2 };

} // namespace

// The whole file is read and checked before the first command: a file that
// is refused leaves the brick and the slot's names as they were.
RCXController::ProgFileResult RCXController::sendProgFile(const std::string& path, FileOp& fileOp)
{
    return sendProgFile(path, fileNameOf(path), fileOp);
}

RCXController::ProgFileResult RCXController::sendProgFile(const std::string& path, const std::string& fileName,
                                                          FileOp& fileOp)
{
    fileOp.startFileOp(localizedFormat("Downloading file \"%@\"", {fileName}));

    CompiledProgram program;
    const char* refusal = "Can't open file \"%@\"";
    if (OpenFile file = openFile(path, "rb"))
        refusal = readCompiledProgram(file.get(), program);
    if (refusal != nullptr) {
        fileOp.abortFileOp(localizedFormat(refusal, {fileName}));
        return progFileRefused;
    }

    currentProgName().assign(std::filesystem::path(fileName).stem().string());
    clearCurrentNames();
    if (const char* failure = downloadProgram(program, fileOp)) {
        fileOp.abortFileOp(localizedFormat(failure, {fileName}));
        return progFileFailed;
    }
    for (const CompiledProgram::Symbol& symbol : program.symbols)
        addName(symbol.type, symbol.index, symbol.name);
    myRCXSender.sendCode(Opcode::playSound, {5});
    fileOp.stopFileOp();
    return progFileDownloaded;
}

// Returns the failure's message key, or null.
const char* RCXController::downloadProgram(const CompiledProgram& program, FileOp& fileOp)
{
    myRCXSender.sendCode(Opcode::stopAll);
    myRCXSender.sendCode(Opcode::deleteTasks);
    myRCXSender.sendCode(Opcode::deleteSubs);
    const int fragmentCount = static_cast<int>(program.fragments.size());
    for (const CompiledProgram::Fragment& fragment : program.fragments)
        if (const char* failure = downloadFragment(fragment, fragmentCount, fileOp))
            return failure;
    return nullptr;
}

const char* RCXController::downloadFragment(const CompiledProgram::Fragment& fragment, int fragmentCount,
                                            FileOp& fileOp)
{
    const int length = static_cast<int>(fragment.code.size());
    const int status = myRCXSender.sendCodeGet1(fragment.type == 0 ? Opcode::beginTask : Opcode::beginSub,
                                                {0, fragment.number, 0, lowByte(length), highByte(length)});
    if (status == 1)
        return "RCX memory full";
    if (status == 2)
        return "File \"%@\" contains an illegal task number";
    if (!sendBlocks(fragment.code.data(), length, codeBlockSize, static_cast<double>(fragmentCount) * length, fileOp))
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
