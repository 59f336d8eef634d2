#include "app/DynamicSensorPanel.h"
#include "ui_DynamicSensorPanel.h"

DynamicSensorPanel::DynamicSensorPanel(QWidget* parent) : Panel(parent)
{
    connect(ui->okButton, &QPushButton::clicked, this, &DynamicSensorPanel::okButton);
    connect(ui->cancelButton, &QPushButton::clicked, this, &DynamicSensorPanel::cancelButton);
}

void DynamicSensorPanel::okButton()
{
    done(1);
}

void DynamicSensorPanel::cancelButton()
{
    done(0);
}

void DynamicSensorPanel::reject()
{
    cancelButton();
}

DynamicSensorPanel::~DynamicSensorPanel() = default;
