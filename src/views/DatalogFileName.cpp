#include "views/DatalogFileName.h"

#include <string>
#include <vector>

namespace {

// strftime answers 0 both for an empty result and for a buffer too small; a
// leading character makes the first answer impossible.
QString formattedTime(const QString& pattern, const std::tm& when)
{
    const std::string format = "x" + pattern.toStdString();
    std::vector<char> buffer(256);
    while (buffer.size() <= 65536) {
        const std::size_t length = std::strftime(buffer.data(), buffer.size(), format.c_str(), &when);
        if (length > 0)
            return QString::fromUtf8(buffer.data() + 1, static_cast<qsizetype>(length - 1));
        buffer.resize(buffer.size() * 4);
    }
    return QString();
}

QString safeName(const QString& pattern, const std::tm& when)
{
    QString name = formattedTime(pattern, when);
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QString();
    return name;
}

} // namespace

QString datalogFileName(const QString& pattern, const std::tm& when)
{
    const QString name = safeName(pattern, when);
    return name.isEmpty() ? safeName(QString::fromLatin1(defaultDatalogFilename), when) : name;
}

QString datalogFileName(const QString& pattern)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return datalogFileName(pattern, local);
}
