#include "sim/Json.h"

#include <cstdio>

JsonWriter& JsonWriter::beginObject()
{
    open('{');
    return *this;
}

JsonWriter& JsonWriter::endObject()
{
    close('}');
    return *this;
}

JsonWriter& JsonWriter::beginArray()
{
    open('[');
    return *this;
}

JsonWriter& JsonWriter::endArray()
{
    close(']');
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name)
{
    separate();
    quoted(name);
    out += ':';
    afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::value(int number)
{
    separate();
    out += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(bool truth)
{
    separate();
    out += truth ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null()
{
    separate();
    out += "null";
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text)
{
    separate();
    quoted(text);
    return *this;
}

void JsonWriter::separate()
{
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (!empty.empty()) {
        if (!empty.back())
            out += ',';
        empty.back() = false;
    }
}

void JsonWriter::open(char bracket)
{
    separate();
    out += bracket;
    empty.push_back(true);
}

void JsonWriter::close(char bracket)
{
    out += bracket;
    empty.pop_back();
}

void JsonWriter::quoted(std::string_view text)
{
    out += '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}
