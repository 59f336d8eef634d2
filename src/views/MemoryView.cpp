#include "views/MemoryView.h"

#include "views/RowExport.h"

MemoryView::MemoryView(QWidget* parent)
    : QTreeView(parent)
{
    setUpRowExport(*this);
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
