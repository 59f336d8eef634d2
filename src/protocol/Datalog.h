#pragma once

// A datalog entry is a type byte and a 16-bit value. The type names the kind
// of value in bits 5-7 and its number in bits 0-4; entry 0, the header, has
// its own type and counts the entries in use, itself included.
constexpr int datalogEntryBytes = 3;
constexpr int datalogHeaderType = 0xFF;

enum DatalogKind : int { variableEntry = 0, timerEntry = 1, sensorEntry = 2, watchEntry = 4 };

constexpr int datalogType(DatalogKind kind, int number)
{
    return kind << 5 | number;
}

constexpr int datalogKindOf(int type)
{
    return (type >> 5) & 7;
}

constexpr int datalogNumberOf(int type)
{
    return type & 0x1F;
}
