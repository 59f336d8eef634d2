#include "app/DatalogPanel.h"
#include "ui_DatalogPanel.h"

DatalogPanel::DatalogPanel(QWidget* parent) : Panel(parent)
{
    connect(ui->okButton, &QPushButton::clicked, this, &DatalogPanel::okButton);
    connect(ui->cancelButton, &QPushButton::clicked, this, &DatalogPanel::cancelButton);
}

void DatalogPanel::okButton()
{
    // A value still being typed counts as typed.
    ui->theValueField->interpretText();
    done(ui->theValueField->value());
}

void DatalogPanel::cancelButton()
{
    done(cancelCode);
}

void DatalogPanel::reject()
{
    cancelButton();
}

DatalogPanel::~DatalogPanel() = default;
