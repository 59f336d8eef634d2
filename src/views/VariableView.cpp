#include "views/VariableView.h"

#include "views/RowExport.h"

#include <QHeaderView>
#include <QKeyEvent>

VariableView::VariableView(QWidget* parent)
    : QTableView(parent)
{
    setSelectionBehavior(SelectRows);
    setSelectionMode(ExtendedSelection);
    setDragDropMode(DragOnly);
    // The number columns say which variable a cell is; row numbers would not.
    verticalHeader()->hide();
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
