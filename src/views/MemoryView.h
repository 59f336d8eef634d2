#pragma once

#include <QTreeView>

// The outline of the brick's memory map. Rows copy (the platform's copy
// shortcut, or copy()) and drag to other applications as text; they cannot be
// dropped within this application.
class MemoryView : public QTreeView {
    Q_OBJECT
public:
    explicit MemoryView(QWidget* parent = nullptr);

public slots:
    void copy();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
};
