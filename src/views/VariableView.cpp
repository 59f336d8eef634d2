#include "views/VariableView.h"

#include "views/RowExport.h"

#include <QKeyEvent>

VariableView::VariableView(QWidget* parent)
    : QTableView(parent)
{
    setSelectionBehavior(SelectRows);
    setSelectionMode(ExtendedSelection);
    setDragDropMode(DragOnly);
}

void VariableView::copy()
{
    copyRows(*this);
}

void VariableView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void VariableView::startDrag(Qt::DropActions)
{
    dragRowsOut(*this);
}
