#pragma once

#include <QTableView>

// The table of the brick's variables. Rows copy (the platform's copy
// shortcut, or copy()) and drag to other applications as text; they cannot be
// dropped within this application.
class VariableView : public QTableView {
    Q_OBJECT
public:
    explicit VariableView(QWidget* parent = nullptr);

public slots:
    void copy();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
};
