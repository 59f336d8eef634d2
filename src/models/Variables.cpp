#include "models/Variables.h"

#include "models/TabularText.h"
#include "rcx/RCXController.h"

#include <QCoreApplication>

const QStringList Variables::columns = {QStringLiteral("No1"), QStringLiteral("Name1"), QStringLiteral("Value1"),
    QStringLiteral("No2"), QStringLiteral("Name2"), QStringLiteral("Value2")};

// The digits stop counting once the number is out of range, so any length
// of number is read without overflowing.
std::optional<std::int16_t> variableValueOf(const QString& text)
{
    constexpr int largest = 65535;
    constexpr int smallest = -32768;
    qsizetype position = 0;
    while (position < text.size() && text[position].isSpace())
        ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == QLatin1Char('-') || text[position] == QLatin1Char('+')))
        negative = text[position++] == QLatin1Char('-');
    int magnitude = 0;
    for (; position < text.size() && text[position] >= QLatin1Char('0') && text[position] <= QLatin1Char('9'); ++position) {
        magnitude = magnitude * 10 + (text[position].unicode() - '0');
        if (magnitude > largest)
            return std::nullopt;
    }
    const int value = negative ? -magnitude : magnitude;
    if (value < smallest)
        return std::nullopt;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

Variables::Variables(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void Variables::loadValues(RCXController& controller)
{
    myRCXController = &controller;
    for (int variable = 0; variable < RCXController::varCount; ++variable) {
        theValues[variable] = static_cast<std::int16_t>(controller.readVariable(variable));
        // Each value shows as it comes: a real tower takes a tenth of a
        // second for each.
        const int row = variable / 2;
        emit dataChanged(index(row, 0), index(row, columns.size() - 1));
    }
}

QString Variables::name(int variable) const
{
    return myRCXController ? QString::fromStdString(myRCXController->currentVarName(variable)) : QString();
}

int Variables::valueVariable(const QString& identifier, int row)
{
    if (identifier == QLatin1String("Value1"))
        return 2 * row;
    if (identifier == QLatin1String("Value2"))
        return 2 * row + 1;
    return -1;
}

QVariant Variables::objectValue(const QString& identifier, int row) const
{
    if (identifier == QLatin1String("No1"))
        return 2 * row;
    if (identifier == QLatin1String("Name1"))
        return name(2 * row);
    if (identifier == QLatin1String("No2"))
        return 2 * row + 1;
    if (identifier == QLatin1String("Name2"))
        return name(2 * row + 1);
    const int variable = valueVariable(identifier, row);
    return variable < 0 ? QVariant() : QVariant(static_cast<int>(theValues[variable]));
}

QString Variables::copyText(const QModelIndexList& indexes) const
{
    QString text;
    text.reserve(1024);
    QList<int> written;
    for (const QModelIndex& index : indexes) {
        if (!index.isValid() || written.contains(index.row()))
            continue;
        written.append(index.row());
        // Each row holds two variables, three columns each: one line apiece.
        for (int first : {0, 3}) {
            QList<QVariant> cells;
            for (const QString& column : columns.mid(first, 3))
                cells.append(objectValue(column, index.row()));
            text += tabularLine(cells);
        }
    }
    return text;
}

int Variables::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows;
}

int Variables::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns.size();
}

QVariant Variables::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const QString& identifier = columns[index.column()];
    if (role == Qt::TextAlignmentRole && !identifier.startsWith(QLatin1String("Name")))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    // The editor takes text, so that anything may be typed.
    if (role == Qt::EditRole && valueVariable(identifier, index.row()) >= 0)
        return objectValue(identifier, index.row()).toString();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return objectValue(identifier, index.row());
}

bool Variables::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const int variable = valueVariable(columns[index.column()], index.row());
    if (variable < 0)
        return false;
    const std::optional<std::int16_t> typed = variableValueOf(value.toString());
    if (!typed)
        return false;
    theValues[variable] = *typed;
    if (myRCXController)
        myRCXController->writeVariable(variable, theValues[variable]);
    emit dataChanged(index, index);
    return true;
}

QVariant Variables::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columns.size())
        return QVariant();
    return QCoreApplication::translate("Localizable", columns[section].toUtf8().constData());
}

Qt::ItemFlags Variables::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (valueVariable(columns[index.column()], index.row()) >= 0)
        flags |= Qt::ItemIsEditable;
    return flags;
}

QStringList Variables::mimeTypes() const
{
    return tabularTextTypes();
}

QMimeData* Variables::mimeData(const QModelIndexList& indexes) const
{
    return tabularTextData(copyText(indexes));
}

Qt::DropActions Variables::supportedDragActions() const
{
    return Qt::CopyAction;
}
