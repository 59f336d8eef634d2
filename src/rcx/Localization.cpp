#include "rcx/Localization.h"

#include <cstdint>
#include <cstdio>
#include <utility>

namespace {

Localizer& installedLocalizer()
{
    static Localizer localizer;
    return localizer;
}

struct AsText {
    std::string operator()(const std::string& text) const { return text; }
    std::string operator()(long long number) const { return std::to_string(number); }
    std::string operator()(double number) const { return std::to_string(number); }
};

struct AsInteger {
    long long operator()(const std::string&) const { return 0; }
    long long operator()(long long number) const { return number; }
    long long operator()(double number) const { return static_cast<long long>(number); }
};

struct AsDouble {
    double operator()(const std::string&) const { return 0; }
    double operator()(long long number) const { return static_cast<double>(number); }
    double operator()(double number) const { return number; }
};

std::string printed(const char* format, auto value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string converted(char conversion, const FormatArgument& argument)
{
    switch (conversion) {
    case '@':
        return std::visit(AsText{}, argument.value);
    case 'd':
        return printed("%lld", std::visit(AsInteger{}, argument.value));
    case 'x':
        return printed("%x", static_cast<std::uint32_t>(std::visit(AsInteger{}, argument.value)));
    default:
        return printed("%f", std::visit(AsDouble{}, argument.value));
    }
}

bool isConversion(char character)
{
    return character == '@' || character == 'd' || character == 'x' || character == 'f';
}

} // namespace

void setLocalizer(Localizer localizer)
{
    installedLocalizer() = std::move(localizer);
}

std::string localized(const std::string& key)
{
    const Localizer& localizer = installedLocalizer();
    return localizer ? localizer(key) : key;
}

std::string formatText(const std::string& format, std::initializer_list<FormatArgument> arguments)
{
    std::string text;
    const FormatArgument* next = arguments.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char character = format[i];
        const char following = i + 1 < format.size() ? format[i + 1] : '\0';
        if (character != '%' || !(isConversion(following) || following == '%')) {
            text += character;
            continue;
        }
        ++i;
        if (following == '%')
            text += '%';
        else if (next != arguments.end())
            text += converted(following, *next++);
    }
    return text;
}

std::string localizedFormat(const std::string& key, std::initializer_list<FormatArgument> arguments)
{
    return formatText(localized(key), arguments);
}
