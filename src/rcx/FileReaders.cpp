#include "rcx/FileReaders.h"

#include <filesystem>

namespace {

std::uint32_t readLittleEndian(std::FILE* file, int bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        const int byte = std::fgetc(file);
        if (byte != EOF)
            value |= static_cast<std::uint32_t>(byte) << (8 * i);
    }
    return value;
}

int hexDigit(char character)
{
    if (character >= '0' && character <= '9')
        return character - '0';
    if (character >= 'A' && character <= 'F')
        return character - 'A' + 10;
    if (character >= 'a' && character <= 'f')
        return character - 'a' + 10;
    return -1;
}

} // namespace

std::uint32_t read1(std::FILE* file)
{
    return readLittleEndian(file, 1);
}

std::uint32_t read2(std::FILE* file)
{
    return readLittleEndian(file, 2);
}

std::uint32_t read4(std::FILE* file)
{
    return readLittleEndian(file, 4);
}

int readHexByte(std::string_view line, std::size_t position)
{
    if (position + 1 >= line.size())
        return -1;
    const int high = hexDigit(line[position]);
    const int low = hexDigit(line[position + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

OpenFile openFile(const std::string& path, const char* mode)
{
    return OpenFile(std::fopen(path.c_str(), mode));
}

std::string fileNameOf(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}
