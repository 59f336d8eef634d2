#include "models/UploadedDatalog.h"

#include <algorithm>
#include <array>

namespace {

constexpr int typeCount = 256;

// A source's name is its line up to the tab; the watch's line has an empty
// label before the tab, hence the trim.
QString sourceName(const std::string& line)
{
    return QString::fromStdString(line.substr(0, line.find('\t'))).trimmed();
}

} // namespace

UploadedDatalog::UploadedDatalog(const std::vector<LogEntry>& entries, const LineFormat& lineOf)
{
    std::array<int, typeCount> sourceOfType{};
    std::array<bool, typeCount> named{};
    std::array<QString, typeCount> names;
    rows.reserve(entries.size());
    for (const LogEntry& entry : entries) {
        const std::size_t type = static_cast<std::size_t>(entry.type) & 0xFF;
        const std::string line = lineOf(entry.type, entry.value);
        theText.append(line.data(), static_cast<qsizetype>(line.size()));
        if (!named[type]) {
            named[type] = true;
            names[type] = sourceName(line);
        }
    }
    // Sources in type order: number them once every type is known.
    for (std::size_t type = 0; type < typeCount; ++type) {
        if (!named[type])
            continue;
        sourceOfType[type] = static_cast<int>(theSources.size());
        theSources.push_back({static_cast<int>(type), names[type], {}});
    }
    for (int number = 1; const LogEntry& entry : entries) {
        const int source = sourceOfType[static_cast<std::size_t>(entry.type) & 0xFF];
        theSources[static_cast<std::size_t>(source)].points.append(QPointF(number++, entry.value));
        rows.push_back({source, entry.value});
    }
}
