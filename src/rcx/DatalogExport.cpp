#include "protocol/Datalog.h"
#include "protocol/Opcodes.h"
#include "rcx/FileReaders.h"
#include "rcx/Localization.h"
#include "rcx/RCXController.h"

namespace {

constexpr int uploadBlockSize = 20;

const char* const writeError = "Error writing file \"%@\"";

} // namespace

void RCXController::saveDatalogFile(const std::string& path, FileOp& fileOp)
{
    const std::string fileName = fileNameOf(path);
    OpenFile file = openFile(path, "wb");
    if (!file) {
        fileOp.abortFileOp(localizedFormat("Can't open file \"%@\"", {fileName}));
        return;
    }
    fileOp.startFileOp(localizedFormat("Saving datalog to file \"%@\"", {fileName}));
    std::FILE* const lines = file.get();
    const char* failure = uploadEntries(
        [this, lines](const LogEntry& entry) {
            return std::fputs(datalogLine(entry.type, entry.value).c_str(), lines) != EOF;
        },
        fileOp);
    // Closing writes the last buffered lines: on a full disk it is the close
    // that fails.
    if (failure == nullptr && std::fclose(file.release()) != 0)
        failure = writeError;
    if (failure != nullptr) {
        fileOp.abortFileOp(localizedFormat(failure, {fileName}));
        return;
    }
    myRCXSender.sendCode(Opcode::playSound, {5});
    fileOp.stopFileOp();
}

std::optional<std::vector<LogEntry>> RCXController::uploadDatalog(FileOp& fileOp)
{
    fileOp.startFileOp(localized("Uploading datalog"));
    std::vector<LogEntry> entries;
    const char* failure = uploadEntries(
        [&entries](const LogEntry& entry) {
            entries.push_back(entry);
            return true;
        },
        fileOp);
    if (failure != nullptr) {
        fileOp.abortFileOp(localized(failure));
        return std::nullopt;
    }
    myRCXSender.sendCode(Opcode::playSound, {5});
    fileOp.stopFileOp();
    return entries;
}

const char* RCXController::uploadEntries(const std::function<bool(const LogEntry&)>& take, FileOp& fileOp)
{
    std::uint8_t types[uploadBlockSize] = {};
    std::uint16_t values[uploadBlockSize] = {};
    myRCXSender.uploadBlock(0, 1, types, values);
    if (types[0] != datalogHeaderType)
        return "Can't read datalog length";
    const int total = static_cast<std::int16_t>(values[0]);
    int remaining = total - 1;
    int first = 1;
    int blockSize = uploadBlockSize;
    while (remaining > 0) {
        if (remaining < blockSize)
            blockSize = remaining;
        myRCXSender.uploadBlock(static_cast<std::uint16_t>(first), static_cast<std::uint16_t>(blockSize), types,
                                values);
        for (int i = 0; i < blockSize; ++i)
            if (!take({types[i], static_cast<std::int16_t>(values[i])}))
                return writeError;
        remaining -= blockSize;
        first += blockSize;
        fileOp.advanceBy(blockSize * 100.0 / total);
    }
    return nullptr;
}

std::string RCXController::datalogLine(int type, int value)
{
    const int kind = datalogKindOf(type);
    const int number = datalogNumberOf(type);
    switch (kind) {
    case variableEntry: {
        const std::string& name = currentVarName(number);
        const std::string label = name.empty() ? formatText("%d", {number}) : formatText("%d: %@", {number, name});
        return localizedFormat("Variable %@\t%d\n", {label, value});
    }
    case timerEntry:
        return localizedFormat("Timer %@\t%d\n", {formatText("%d", {number}), value});
    case sensorEntry:
        return localizedFormat("Sensor %@\t%d\n", {formatText("%d", {number + 1}), value});
    case watchEntry:
        return localizedFormat("Watch %@\t%d\n", {number == 0 ? "" : formatText("%d", {number}), value});
    default:
        return localizedFormat("Unknown %@\t%d\n", {formatText("%d,%d", {kind, number}), value});
    }
}
