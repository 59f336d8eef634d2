#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

class RCXController;

// The brick's 32 variables, two to a row in 16 rows: number, name in the
// current program slot and value of variable 2r on the left, of 2r + 1 on
// the right. The values are the ones last read or typed; the names are the
// controller's, looked up afresh each time. A typed value is written to the
// brick at once.
class Variables : public QAbstractTableModel {
    Q_OBJECT
public:
    // The column identifiers, in column order.
    static const QStringList columns;
    static constexpr int rows = 16;

    explicit Variables(QObject* parent = nullptr);

    // Reads all 32 values from the brick, one exchange each, variable 0 first;
    // each row changes as its values come.
    void loadValues(RCXController& controller);

    // The copy text of the given rows (any column; each row once, in the
    // order given): two lines of number, name and value per row.
    QString copyText(const QModelIndexList& indexes) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Takes a value typed into "Value1" or "Value2" that a variable can hold
    // (see variableValueOf), stores it and writes it to the brick. Any other
    // value is refused: nothing is sent and the old value stays.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

private:
    QString name(int variable) const;
    QVariant objectValue(const QString& identifier, int row) const;
    // The variable a value column shows on `row`, or -1.
    static int valueVariable(const QString& identifier, int row);

    RCXController* myRCXController = nullptr;
    std::array<std::int16_t, 32> theValues{};
};

// The value a 16-bit variable takes for the integer a text begins with
// (blanks, an optional sign, decimal digits; 0 when it begins with none):
// -32768 to 32767 as they are, 32768 to 65535 as the same 16 bits read signed
// (40000 is -25536). None for an integer outside -32768 to 65535.
std::optional<std::int16_t> variableValueOf(const QString& text);
