#pragma once

#include "rcx/RCXController.h"

#include <QByteArray>
#include <QList>
#include <QPointF>
#include <QString>

#include <functional>
#include <string>
#include <vector>

// A datalog as uploaded, arranged to be drawn and listed: its entries,
// numbered from 1 as on the brick; the sources they name, one for each type
// byte that occurs, in type order, each named as the text export names it and
// with its points (entry number, value); and the text export itself.
class UploadedDatalog {
public:
    // The text line of an entry: RCXController::datalogLine.
    using LineFormat = std::function<std::string(int type, int value)>;

    struct Source {
        int type;
        QString name;
        QList<QPointF> points;
    };
    struct Row {
        int source;
        int value;
    };

    UploadedDatalog() = default;
    UploadedDatalog(const std::vector<LogEntry>& entries, const LineFormat& lineOf);

    int entryCount() const { return static_cast<int>(rows.size()); }
    // Entry 1 is row 0.
    const Row& row(int index) const { return rows[static_cast<std::size_t>(index)]; }
    const std::vector<Source>& sources() const { return theSources; }
    // The datalog as the text export writes it.
    const QByteArray& text() const { return theText; }

private:
    std::vector<Row> rows;
    std::vector<Source> theSources;
    QByteArray theText;
};
