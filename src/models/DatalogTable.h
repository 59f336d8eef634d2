#pragma once

#include "models/UploadedDatalog.h"

#include <QAbstractTableModel>

// The entries of an uploaded datalog as a table: entry number, source and
// value, one row an entry.
class DatalogTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { entryColumn, sourceColumn, valueColumn };
    static constexpr int columns = 3;

    explicit DatalogTable(QObject* parent = nullptr);

    // Shows `datalog`, which is to outlive the model or the next call.
    void setDatalog(const UploadedDatalog& datalog);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const UploadedDatalog* theDatalog = nullptr;
};
