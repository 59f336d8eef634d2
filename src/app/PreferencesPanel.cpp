#include "app/PreferencesPanel.h"
#include "ui_PreferencesPanel.h"

PreferencesPanel::PreferencesPanel(QWidget* parent) : Panel(parent)
{
    connect(ui->prefsOKButton, &QPushButton::clicked, this, &PreferencesPanel::okButton);
    connect(ui->prefsCancelButton, &QPushButton::clicked, this, &PreferencesPanel::cancelButton);
}

void PreferencesPanel::okButton()
{
    done(1);
}

void PreferencesPanel::cancelButton()
{
    done(0);
}

void PreferencesPanel::reject()
{
    if (ui->prefsCancelButton->isEnabled())
        cancelButton();
}

PreferencesPanel::~PreferencesPanel() = default;
