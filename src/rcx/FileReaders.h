#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

// Little-endian numbers from an open file, the first byte lowest. Bytes past
// the end of the file read as 0; the caller checks std::feof afterwards.
std::uint32_t read1(std::FILE* file);
std::uint32_t read2(std::FILE* file);
std::uint32_t read4(std::FILE* file);

// The byte written as two hexadecimal digits (either case) at `position` of
// `line`, or -1 when either character is not a hexadecimal digit or lies past
// the end of the line.
int readHexByte(std::string_view line, std::size_t position);

// An open file, closed when it goes.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OpenFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens with std::fopen's modes; empty when the file cannot be opened.
OpenFile openFile(const std::string& path, const char* mode);

// The file name of a path, with its extension (the last path component).
std::string fileNameOf(const std::string& path);
