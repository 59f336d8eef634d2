#include "models/Memory.h"

#include "models/TabularText.h"
#include "protocol/Words.h"
#include "rcx/Localization.h"
#include "rcx/RCXController.h"

#include <QCoreApplication>

#include <algorithm>

const QStringList Memory::columns = {
    QStringLiteral("Region"), QStringLiteral("Size"), QStringLiteral("Start"), QStringLiteral("End")};

namespace {

QString localizedText(const char* key)
{
    return QCoreApplication::translate("Localizable", key);
}

// A localized title format such as "Slot %d", filled with its number.
QString numberedTitle(const char* key, int number)
{
    return QString::fromStdString(formatText(localizedText(key).toStdString(), {number}));
}

using Item = std::unique_ptr<Memory::RegionItem>;

Item refItem(QString title, const std::string* name, int first, int end)
{
    auto item = std::make_unique<Memory::RegionItem>();
    item->title = std::move(title);
    item->name = name;
    item->first = first;
    item->end = end;
    return item;
}

Item subroutine(RCXController& controller, int slot, int sub)
{
    return refItem(numberedTitle("Sub %d", sub), &controller.subName(slot, sub),
        8 * slot + sub - 9, 8 * slot + sub - 8);
}

Item subslot(RCXController& controller, int slot)
{
    Item item = refItem(numberedTitle("Slot %d", slot), &controller.progName(slot), 8 * slot - 8, 8 * slot);
    for (int sub = 1; sub <= RCXController::subCount; ++sub)
        item->add(subroutine(controller, slot, sub));
    return item;
}

Item task(RCXController& controller, int slot, int number)
{
    return refItem(numberedTitle("Task %d", number), &controller.taskName(slot, number),
        10 * slot + number + 29, 10 * slot + number + 30);
}

Item taskslot(RCXController& controller, int slot)
{
    Item item = refItem(numberedTitle("Slot %d", slot), &controller.progName(slot), 10 * slot + 30, 10 * slot + 40);
    for (int number = 1; number <= RCXController::taskCount; ++number)
        item->add(task(controller, slot, number));
    return item;
}

} // namespace

Memory::RegionItem* Memory::RegionItem::add(std::unique_ptr<RegionItem> child)
{
    child->parent = this;
    children.push_back(std::move(child));
    return children.back().get();
}

Memory::Memory(QObject* parent)
    : QAbstractItemModel(parent)
    , memStruct(refItem(QString(), nullptr, 0, 0))
{
}

Memory::~Memory() = default;

void Memory::setupWithController(RCXController& controller)
{
    Item root = refItem(localizedText("Memory"), nullptr, 0, 93);

    RegionItem* subs = root->add(refItem(localizedText("Subroutines"), nullptr, 0, 40));
    for (int slot = 1; slot <= RCXController::slotCount; ++slot)
        subs->add(subslot(controller, slot));

    RegionItem* tasks = root->add(refItem(localizedText("Tasks"), nullptr, 40, 90));
    for (int slot = 1; slot <= RCXController::slotCount; ++slot)
        tasks->add(taskslot(controller, slot));

    RegionItem* datalog = root->add(refItem(localizedText("Datalog"), nullptr, 90, 92));
    datalog->add(refItem(localizedText("Used"), nullptr, 90, 91));
    datalog->add(refItem(localizedText("Free"), nullptr, 91, 92));

    root->add(refItem(localizedText("Free memory"), nullptr, 92, 93));

    beginResetModel();
    memStruct = std::move(root);
    endResetModel();
}

void Memory::loadData(const std::uint8_t* bytes)
{
    const std::span<const std::uint8_t> map(bytes, 2 * wordCount);
    for (int word = 0; word < wordCount; ++word)
        memData[word] = bigEndian16(map, static_cast<std::size_t>(2 * word));
    // Every value may have changed; the rows stay.
    std::vector<const RegionItem*> pending = {memStruct.get()};
    while (!pending.empty()) {
        const RegionItem* item = pending.back();
        pending.pop_back();
        if (item->children.empty())
            continue;
        emit dataChanged(indexOf(item->children.front().get(), 0),
            indexOf(item->children.back().get(), columns.size() - 1));
        for (const auto& child : item->children)
            pending.push_back(child.get());
    }
}

QString Memory::region(const RegionItem& item) const
{
    if (!item.name || item.name->empty())
        return item.title;
    return QString::fromStdString(formatText("%@: %@", {item.title.toStdString(), *item.name}));
}

QVariant Memory::objectValue(const QString& identifier, const RegionItem& item) const
{
    const bool empty = start(item) == end(item);
    if (identifier == QLatin1String("Region"))
        return region(item);
    if (identifier == QLatin1String("Size"))
        return end(item) - start(item);
    if (identifier == QLatin1String("Start"))
        return empty ? QVariant(QStringLiteral("-")) : QVariant(start(item));
    if (identifier == QLatin1String("End"))
        return empty ? QVariant(QStringLiteral("-")) : QVariant(end(item) - 1);
    return QVariant();
}

QString Memory::copyText(const QModelIndexList& indexes) const
{
    QString text;
    text.reserve(1024);
    std::vector<const RegionItem*> written;
    for (const QModelIndex& index : indexes) {
        const RegionItem* item = itemAt(index);
        if (!item || item == memStruct.get() || std::find(written.begin(), written.end(), item) != written.end())
            continue;
        written.push_back(item);
        QList<QVariant> cells;
        for (const QString& column : columns)
            cells.append(objectValue(column, *item));
        text += tabularLine(cells);
    }
    return text;
}

const Memory::RegionItem* Memory::itemAt(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<const RegionItem*>(index.internalPointer()) : memStruct.get();
}

QModelIndex Memory::indexOf(const RegionItem* item, int column) const
{
    if (item == memStruct.get())
        return QModelIndex();
    const auto& siblings = item->parent->children;
    const auto position = std::find_if(siblings.begin(), siblings.end(),
        [item](const std::unique_ptr<RegionItem>& sibling) { return sibling.get() == item; });
    return createIndex(static_cast<int>(position - siblings.begin()), column, item);
}

QModelIndex Memory::index(int row, int column, const QModelIndex& parent) const
{
    const RegionItem* item = itemAt(parent);
    if (row < 0 || row >= static_cast<int>(item->children.size()) || column < 0 || column >= columns.size())
        return QModelIndex();
    return createIndex(row, column, item->children[row].get());
}

QModelIndex Memory::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return QModelIndex();
    return indexOf(itemAt(index)->parent, 0);
}

int Memory::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return static_cast<int>(itemAt(parent)->children.size());
}

int Memory::columnCount(const QModelIndex&) const
{
    return columns.size();
}

QVariant Memory::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::TextAlignmentRole && index.column() > 0)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return objectValue(columns[index.column()], *itemAt(index));
}

QVariant Memory::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columns.size())
        return QVariant();
    return QCoreApplication::translate("Localizable", columns[section].toUtf8().constData());
}

Qt::ItemFlags Memory::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList Memory::mimeTypes() const
{
    return tabularTextTypes();
}

QMimeData* Memory::mimeData(const QModelIndexList& indexes) const
{
    return tabularTextData(copyText(indexes));
}

Qt::DropActions Memory::supportedDragActions() const
{
    return Qt::CopyAction;
}
