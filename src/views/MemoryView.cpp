#include "views/MemoryView.h"

#include "views/RowExport.h"

#include <QKeyEvent>

MemoryView::MemoryView(QWidget* parent)
    : QTreeView(parent)
{
    setSelectionBehavior(SelectRows);
    setSelectionMode(ExtendedSelection);
    setDragDropMode(DragOnly);
}

void MemoryView::copy()
{
    copyRows(*this);
}

void MemoryView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void MemoryView::startDrag(Qt::DropActions)
{
    dragRowsOut(*this);
}
