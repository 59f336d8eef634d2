#pragma once

#include <QTreeView>

// The outline of the brick's memory map. Its number columns are as wide as
// their widest text and some room, so that neighbouring numbers stay apart;
// the region column fills the rest of the view's width. Rows copy (the
// platform's copy shortcut, or copy()) and drag to other applications as
// text; they cannot be dropped within this application.
class MemoryView : public QTreeView {
    Q_OBJECT
public:
    // The room a column gives beyond its widest text, in pixels.
    static constexpr int cellRoom = 16;

    explicit MemoryView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

public slots:
    void copy();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
};
