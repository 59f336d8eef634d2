#include "views/RowExport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

namespace {

void collectSelected(const QAbstractItemView& view, const QModelIndex& parent, QModelIndexList& rows)
{
    const QAbstractItemModel* model = view.model();
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (view.selectionModel()->isRowSelected(row, parent))
            rows.append(index);
        collectSelected(view, index, rows);
    }
}

// A picture of the dragged rows, as the view shows them.
QPixmap rowsPicture(QAbstractItemView& view, const QModelIndexList& rows)
{
    QRect area;
    for (const QModelIndex& index : rows) {
        const QRect rowRect = view.visualRect(index);
        area |= QRect(0, rowRect.top(), view.viewport()->width(), rowRect.height());
    }
    return view.viewport()->grab(area & view.viewport()->rect());
}

} // namespace

QModelIndexList selectedRowsInOrder(const QAbstractItemView& view)
{
    QModelIndexList rows;
    if (view.model() && view.selectionModel())
        collectSelected(view, QModelIndex(), rows);
    return rows;
}

void copyRows(const QAbstractItemView& view)
{
    const QModelIndexList rows = selectedRowsInOrder(view);
    if (rows.isEmpty())
        return;
    if (QMimeData* data = view.model()->mimeData(rows))
        QGuiApplication::clipboard()->setMimeData(data);
}

void dragRowsOut(QAbstractItemView& view)
{
    const QModelIndexList rows = selectedRowsInOrder(view);
    if (rows.isEmpty())
        return;
    QMimeData* data = view.model()->mimeData(rows);
    if (!data)
        return;
    QDrag* drag = new QDrag(&view);
    drag->setMimeData(data);
    drag->setPixmap(rowsPicture(view, rows));
    LocalDropRefusal refusal(data);
    drag->exec(Qt::CopyAction);
    drag->deleteLater();
}

LocalDropRefusal::LocalDropRefusal(const QMimeData* data)
    : refused(data)
{
    qApp->installEventFilter(this);
}

LocalDropRefusal::~LocalDropRefusal()
{
    qApp->removeEventFilter(this);
}

bool LocalDropRefusal::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (drop->mimeData() != refused)
            break;
        drop->setDropAction(Qt::IgnoreAction);
        drop->ignore();
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void setUpRowExport(QAbstractItemView& view)
{
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setDragDropMode(QAbstractItemView::DragOnly);
}

bool copyRowsOnShortcut(const QAbstractItemView& view, QKeyEvent* event)
{
    if (!event->matches(QKeySequence::Copy))
        return false;
    copyRows(view);
    event->accept();
    return true;
}
