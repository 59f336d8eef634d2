#include "views/VariableView.h"

#include "views/RowExport.h"

#include <QHeaderView>

VariableView::VariableView(QWidget* parent)
    : QTableView(parent)
{
    setUpRowExport(*this);
    // The number columns say which variable a cell is; row numbers would not.
    verticalHeader()->hide();
}

void VariableView::copy()
{
    copyRows(*this);
}

void VariableView::keyPressEvent(QKeyEvent* event)
{
    if (!copyRowsOnShortcut(*this, event))
        QTableView::keyPressEvent(event);
}

void VariableView::startDrag(Qt::DropActions)
{
    dragRowsOut(*this);
}
