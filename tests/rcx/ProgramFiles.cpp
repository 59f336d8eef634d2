#include "ProgramFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

void put2(Bytes& bytes, int value)
{
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

} // namespace

Bytes ProgramFile::bytes() const
{
    Bytes file = {'R', 'C', 'X', 'I'};
    put2(file, version);
    put2(file, static_cast<int>(fragments.size()));
    put2(file, static_cast<int>(symbols.size()));
    file.push_back(static_cast<std::uint8_t>(targetType));
    file.push_back(0);
    for (const Fragment& fragment : fragments) {
        file.push_back(static_cast<std::uint8_t>(fragment.type));
        file.push_back(static_cast<std::uint8_t>(fragment.number));
        put2(file, static_cast<int>(fragment.code.size()));
        file.insert(file.end(), fragment.code.begin(), fragment.code.end());
        file.insert(file.end(), (4 - fragment.code.size()) & 3, 0xEE);
    }
    for (const Symbol& symbol : symbols) {
        file.push_back(static_cast<std::uint8_t>(symbol.type));
        file.push_back(static_cast<std::uint8_t>(symbol.index));
        file.push_back(static_cast<std::uint8_t>(symbol.name.size() + 1));
        file.push_back(0);
        file.insert(file.end(), symbol.name.begin(), symbol.name.end());
        file.push_back(0);
    }
    return file;
}

Bytes codeOf(int count, int seed)
{
    Bytes code;
    for (int i = 0; i < count; ++i)
        code.push_back(static_cast<std::uint8_t>(seed * 31 + i * 7 + 1));
    return code;
}

namespace {

std::uint16_t at2(const Bytes& bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

} // namespace

ProgramContents contentsOf(const Bytes& file)
{
    ProgramContents contents;
    std::size_t offset = 12;
    for (int i = 0; i < at2(file, 6); ++i) {
        const int length = at2(file, offset + 2);
        const auto code = file.begin() + static_cast<long>(offset) + 4;
        contents.fragments.push_back({file.at(offset), file.at(offset + 1), Bytes(code, code + length)});
        offset += 4 + length + ((4 - length) & 3);
    }
    const char* kinds[] = {"task", "sub", "var"};
    for (int i = 0; i < at2(file, 8); ++i) {
        const int type = file.at(offset);
        const int length = file.at(offset + 2);
        const auto name = file.begin() + static_cast<long>(offset) + 4;
        if (type <= 2)
            contents.names.push_back(std::string(kinds[type]) + " " + std::to_string(file.at(offset + 1)) + " " +
                                     std::string(name, name + std::max(length - 1, 0)));
        offset += 4 + length;
    }
    return contents;
}

Bytes readAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
