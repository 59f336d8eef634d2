#pragma once

#include <QModelIndexList>
#include <QObject>

class QAbstractItemView;
class QKeyEvent;
class QMimeData;

// Rows of the table and the outline leave the application as their model's
// text (text/tab-separated-values and text/plain): copied to the clipboard,
// or dragged to another application. A drag never drops within this one.

// Selects whole rows, several at once, and lets them only be dragged out.
void setUpRowExport(QAbstractItemView& view);
// Copies the selected rows when `event` is the platform's copy shortcut;
// true when it was.
bool copyRowsOnShortcut(const QAbstractItemView& view, QKeyEvent* event);
// The selected rows, one index of column 0 each, in the order they are shown.
QModelIndexList selectedRowsInOrder(const QAbstractItemView& view);
// Puts the text of the selected rows on the clipboard.
void copyRows(const QAbstractItemView& view);
// Drags the text of the selected rows out of the application.
void dragRowsOut(QAbstractItemView& view);

// While it lives, every widget of the application refuses a drag that
// carries `data`.
class LocalDropRefusal : public QObject {
public:
    explicit LocalDropRefusal(const QMimeData* data);
    ~LocalDropRefusal() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const QMimeData* refused;
};
