#include "views/MemoryView.h"

#include "views/RowExport.h"

#include <QHeaderView>
#include <QStyledItemDelegate>

namespace {

// Cells that ask for room beyond their text.
class PaddedCells : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(MemoryView::cellRoom, 0);
    }
};

} // namespace

MemoryView::MemoryView(QWidget* parent)
    : QTreeView(parent)
{
    setUpRowExport(*this);
    setItemDelegate(new PaddedCells(this));
    // Follows the contents as the map and the names change.
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
}

void MemoryView::setModel(QAbstractItemModel* model)
{
    QTreeView::setModel(model);
    // The region column takes the room left, so that the rows fill the view.
    if (header()->count() > 0)
        header()->setSectionResizeMode(0, QHeaderView::Stretch);
}

void MemoryView::copy()
{
    copyRows(*this);
}

void MemoryView::keyPressEvent(QKeyEvent* event)
{
    if (!copyRowsOnShortcut(*this, event))
        QTreeView::keyPressEvent(event);
}

void MemoryView::startDrag(Qt::DropActions)
{
    dragRowsOut(*this);
}
