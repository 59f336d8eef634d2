#include "support/ProgramFiles.h"

Bytes ProgramFile::bytes() const
{
    Bytes file = Bytes{'R', 'C', 'X', 'I'} + word(version) + word(int(fragments.size())) + word(int(symbols.size())) +
                 Bytes{static_cast<std::uint8_t>(targetType), 0};
    for (const Fragment& f : fragments)
        file = file + Bytes{std::uint8_t(f.type), std::uint8_t(f.number)} + word(int(f.code.size())) + f.code +
               Bytes((4 - f.code.size()) & 3, 0xEE);
    for (const Symbol& s : symbols)
        file = file + Bytes{std::uint8_t(s.type), std::uint8_t(s.index), std::uint8_t(s.name.size() + 1), 0} +
               Bytes(s.name.begin(), s.name.end()) + Bytes{0};
    return file;
}

Bytes codeOf(int count, int seed)
{
    Bytes code;
    for (int i = 0; i < count; ++i)
        code.push_back(static_cast<std::uint8_t>(seed * 31 + i * 7 + 1));
    return code;
}
