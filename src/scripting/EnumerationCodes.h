#pragma once

// Enumerated values cross the scripting interface as four-character codes,
// the first character in the highest byte: a base code plus the brick's own
// value.
namespace EnumerationCode {

constexpr int fourCharCode(char first, char second, char third, char fourth)
{
    return first << 24 | second << 16 | third << 8 | fourth;
}

// 'SeT0' plus the sensor type.
constexpr int sensorType = fourCharCode('S', 'e', 'T', '0');
// 'SeM0' plus the sensor mode 0 to 7.
constexpr int sensorMode = fourCharCode('S', 'e', 'M', '0');
// 'OuA0' plus 0 float, 1 off, 2 on.
constexpr int outputActivity = fourCharCode('O', 'u', 'A', '0');
// 'OuD0' plus 0 reverse, 2 forward.
constexpr int outputDirection = fourCharCode('O', 'u', 'D', '0');

} // namespace EnumerationCode
