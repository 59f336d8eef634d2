#include "rcx/CompiledProgram.h"

#include "rcx/FileReaders.h"

#include <cstring>
#include <utility>

namespace {

constexpr std::uint32_t signature = 0x49584352; // "RCXI"
constexpr std::uint32_t newestVersion = 0x0102;
// The brick has tasks 0-9 and subroutines 0-7. A fragment beyond them is
// refused here, before the slot is cleared, not by the brick half-way.
constexpr int taskLimit = 10;
constexpr int subLimit = 8;

const char* const readError = "Error reading file \"%@\"";

// Reads `length` bytes; false when the file ends first.
bool readBytes(std::FILE* file, void* bytes, std::size_t length)
{
    return std::fread(bytes, 1, length, file) == length;
}

// Every number read so far lay inside the file: the readers give 0 for bytes
// past its end.
bool readInFull(std::FILE* file)
{
    return !std::feof(file) && !std::ferror(file);
}

const char* readFragment(std::FILE* file, CompiledProgram::Fragment& fragment)
{
    fragment.type = static_cast<int>(read1(file));
    fragment.number = static_cast<int>(read1(file));
    const std::size_t length = read2(file);
    if (!readInFull(file))
        return readError;
    if (fragment.type > 1)
        return "File \"%@\" contains an unknown fragment type";
    if (fragment.number >= (fragment.type == 0 ? taskLimit : subLimit))
        return "File \"%@\" contains an illegal task number";
    fragment.code.resize(length);
    std::uint8_t padding[3];
    if (!readBytes(file, fragment.code.data(), length) || !readBytes(file, padding, (4 - length) & 3))
        return readError;
    return nullptr;
}

// A record with a name length of 0 has no name bytes and names nothing.
const char* readSymbol(std::FILE* file, std::vector<CompiledProgram::Symbol>& symbols)
{
    const int type = static_cast<int>(read1(file));
    const int index = static_cast<int>(read1(file));
    const std::size_t nameLength = read1(file);
    read1(file); // reserved
    if (!readInFull(file))
        return readError;
    if (nameLength == 0)
        return nullptr;
    char name[256];
    if (!readBytes(file, name, nameLength))
        return readError;
    const std::size_t textLength = ::strnlen(name, nameLength);
    if (textLength + 1 != nameLength)
        return readError;
    symbols.push_back({type, index, std::string(name, textLength)});
    return nullptr;
}

} // namespace

const char* readCompiledProgram(std::FILE* file, CompiledProgram& program)
{
    const std::uint32_t fileSignature = read4(file);
    const std::uint32_t version = read2(file);
    const int fragmentCount = static_cast<int>(read2(file));
    const int symbolCount = static_cast<int>(read2(file));
    const std::uint32_t targetType = read1(file);
    read1(file); // reserved
    if (!readInFull(file))
        return readError;
    if (fileSignature != signature)
        return "File \"%@\" has the wrong file signature";
    if (version > newestVersion)
        return "File \"%@\" has an unsupported file version number";
    if (targetType != 0 && targetType != 3)
        return "File \"%@\" is not compiled for the RCX";

    for (int count = 0; count < fragmentCount; ++count) {
        CompiledProgram::Fragment fragment;
        if (const char* failure = readFragment(file, fragment))
            return failure;
        program.fragments.push_back(std::move(fragment));
    }
    for (int symbol = 0; symbol < symbolCount; ++symbol)
        if (const char* failure = readSymbol(file, program.symbols))
            return failure;
    return nullptr;
}
