#pragma once

#include "app/Panel.h"

namespace Ui {
class LocalizableTimeoutPanel;
}

// An error sheet of the link: the brick did not answer, or the tower could
// not be used. Ends with 1 for Retry, 0 for Preferences, 2 for Install
// Firmware and 3 for Quit; Quit leaves the sheet on screen, since the
// application is about to end.
class TimeoutPanel : public Panel<Ui::LocalizableTimeoutPanel> {
    Q_OBJECT
public:
    static constexpr int retryCode = 1;
    static constexpr int preferencesCode = 0;
    static constexpr int firmwareCode = 2;
    static constexpr int quitCode = 3;

    // sheetTitle: the window's; title and text: the message it shows.
    // offerFirmware: whether the sheet offers to install firmware, which only
    // helps when the tower works and the brick does not answer.
    TimeoutPanel(QWidget* parent, const QString& sheetTitle, const QString& title, const QString& text,
                 bool offerFirmware);
    ~TimeoutPanel() override;

public slots:
    void okButton();
    void preferencesButton();
    void firmwareButton();
    void terminate();
    // Escape and the close button choose nothing: the user must pick a way on.
    void reject() override;
};
