#pragma once

#include <QString>

#include <ctime>

// The name of a datalog file: `pattern` formatted by strftime with `when`
// (local time), e.g. "datalog %H-%M-%S.txt" at 14:05:09 gives
// "datalog 14-05-09.txt". The pattern is the user's, so the name is made safe
// to join to a folder: path separators become "-", and a name that comes out
// empty, "." or ".." is made with the default pattern instead.
QString datalogFileName(const QString& pattern, const std::tm& when);

// The same for the current local time.
QString datalogFileName(const QString& pattern);

inline constexpr const char* defaultDatalogFilename = "datalog %H-%M-%S.txt";
