#include "ProgramFiles.h"

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
