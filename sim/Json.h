#pragma once

#include <string>
#include <string_view>
#include <vector>

// Writes one JSON value as compact text; commas and quotes are its business.
class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    JsonWriter& value(int number);
    JsonWriter& value(bool truth);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& null();

    const std::string& text() const { return out; }

private:
    void separate();
    void open(char bracket);
    void close(char bracket);
    void quoted(std::string_view text);

    std::string out;
    // Per open object or array: whether it has no element yet.
    std::vector<bool> empty;
    bool afterKey = false;
};
