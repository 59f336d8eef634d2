#pragma once

#include "app/Panel.h"

namespace Ui {
class LocalizablePreferencesPanel;
}

// The preferences sheet: tower port, polling rates, battery, datalog file
// name and watch. Ends with 1 for OK and 0 for Cancel.
class PreferencesPanel : public Panel<Ui::LocalizablePreferencesPanel> {
    Q_OBJECT
public:
    explicit PreferencesPanel(QWidget* parent);
    ~PreferencesPanel() override;

public slots:
    void okButton();
    void cancelButton();
    // Escape and the window's close button cancel, but only when Cancel is
    // offered: the sheet opened at start-up can only be left with OK.
    void reject() override;
};
