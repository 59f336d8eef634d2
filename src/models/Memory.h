#pragma once

#include "protocol/ProgramSlots.h"

#include <QAbstractItemModel>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class RCXController;

// The brick's memory map as a tree of regions: per program slot the memory
// each subroutine and each task occupies, the datalog's used and free parts,
// and the free memory. Each region is a pair of indices into the 94 words of
// the map: the word at the first is its first address, the word at the
// second the address just past its end. Sizes and addresses are worked out
// from the words whenever the view asks.
//
// The tree is built once, from the controller's name tables; slots, tasks and
// subroutines keep the controller's own name strings, which it changes in
// place, so a download or a deletion shows at the next repaint.
class Memory : public QAbstractItemModel {
    Q_OBJECT
public:
    // The column identifiers, in column order.
    static const QStringList columns;
    static constexpr int wordCount = memoryMapWords;

    explicit Memory(QObject* parent = nullptr);
    ~Memory() override;

    // Builds the tree of 106 rows from the controller's name tables.
    void setupWithController(RCXController& controller);
    // Takes a memory-map reply: 188 bytes, 94 words high byte first.
    void loadData(const std::uint8_t* bytes);

    // The copy text of the given rows (any column; each row once, in the
    // order given): one line of region, size, first and last address each.
    QString copyText(const QModelIndexList& indexes) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

    // A region of the tree: title, the controller's name string (slots, tasks
    // and subroutines only) and the pair of word indices.
    struct RegionItem {
        QString title;
        const std::string* name = nullptr;
        int first = 0;
        int end = 0;
        RegionItem* parent = nullptr;
        std::vector<std::unique_ptr<RegionItem>> children;

        RegionItem* add(std::unique_ptr<RegionItem> child);
    };

private:
    const RegionItem* itemAt(const QModelIndex& index) const;
    QModelIndex indexOf(const RegionItem* item, int column) const;
    QString region(const RegionItem& item) const;
    int start(const RegionItem& item) const { return memData[item.first]; }
    int end(const RegionItem& item) const { return memData[item.end]; }
    QVariant objectValue(const QString& identifier, const RegionItem& item) const;

    std::unique_ptr<RegionItem> memStruct;
    std::array<int, wordCount> memData{};
};
