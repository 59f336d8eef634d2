#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <variant>

// Every text shown to the user is looked up by its English text. The core has
// no translations of its own: the application installs the lookup, and until
// it does every key stands for itself.
using Localizer = std::function<std::string(const std::string& key)>;

// Installs the lookup; an empty function brings back the default.
void setLocalizer(Localizer localizer);
std::string localized(const std::string& key);

// One value for a format's conversion: a text for %@, a number for %d, %x
// and %f.
struct FormatArgument {
    FormatArgument(std::string text) : value(std::move(text)) {}
    FormatArgument(const char* text) : value(std::string(text)) {}
    FormatArgument(int number) : value(static_cast<long long>(number)) {}
    FormatArgument(long long number) : value(number) {}
    FormatArgument(double number) : value(number) {}

    std::variant<std::string, long long, double> value;
};

// Fills a format the way printf does for the four conversions the texts use:
// %@ a text, %d a signed decimal, %x lower-case hexadecimal (of the value's
// 32-bit pattern, as printf shows a negative int), %f a double with six
// decimals; %% is a percent sign. A conversion without a value, or with a
// value of another kind, is filled as that value allows (a missing value
// gives nothing), so a mistranslated format never reads past its arguments.
std::string formatText(const std::string& format, std::initializer_list<FormatArgument> arguments);

// Looks the format up, then fills it.
std::string localizedFormat(const std::string& key, std::initializer_list<FormatArgument> arguments);
