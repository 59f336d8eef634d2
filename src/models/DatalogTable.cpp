#include "models/DatalogTable.h"

#include <QCoreApplication>

DatalogTable::DatalogTable(QObject* parent) : QAbstractTableModel(parent) {}

void DatalogTable::setDatalog(const UploadedDatalog& datalog)
{
    beginResetModel();
    theDatalog = &datalog;
    endResetModel();
}

int DatalogTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !theDatalog ? 0 : theDatalog->entryCount();
}

int DatalogTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns;
}

QVariant DatalogTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return index.column() == sourceColumn ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    const UploadedDatalog::Row& row = theDatalog->row(index.row());
    switch (index.column()) {
    case entryColumn:
        return index.row() + 1;
    case sourceColumn:
        return theDatalog->sources()[static_cast<std::size_t>(row.source)].name;
    case valueColumn:
        return row.value;
    }
    return QVariant();
}

QVariant DatalogTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case entryColumn:
        return QCoreApplication::translate("Localizable", "Entry");
    case sourceColumn:
        return QCoreApplication::translate("Localizable", "Source");
    case valueColumn:
        return QCoreApplication::translate("Localizable", "Value");
    }
    return QVariant();
}
