#pragma once

#include <QDialog>

#include <memory>

// A sheet of the main window: a window-modal dialog laid out by its form
// (Ui), whose buttons end it with the return codes its end handler reads.
// The form's class is complete only in the app's own sources, which build
// and destroy the sheet; elsewhere its controls are found by object name.
template <typename Ui>
class Panel : public QDialog {
public:
    explicit Panel(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui>())
    {
        ui->setupUi(this);
        setWindowModality(Qt::WindowModal);
    }

    Ui& controls() { return *ui; }

protected:
    std::unique_ptr<Ui> ui;
};
