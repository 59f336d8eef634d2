#pragma once

#include "app/Panel.h"
#include "ui_FileProgressPanel.h"

// The progress sheet of a file transfer. While the transfer runs its OK button
// is disabled; a failure leaves the message on the sheet with OK enabled.
// The transfer blocks the event loop, so the sheet repaints itself at once.
class FileProgressPanel : public Panel<Ui::LocalizableFileProgressPanel> {
    Q_OBJECT
public:
    explicit FileProgressPanel(QWidget* parent);

    // A transfer begins: bar at 0, OK disabled, the title shown.
    void showStart(const QString& text);
    // Adds percentage points; the sum is kept exactly, the bar shows it whole.
    void incrementBy(double delta);
    // A transfer failed: its message, OK enabled.
    void showFailure(const QString& text);
    double progress() const { return sum; }

public slots:
    void okButton();
    // Escape and the close button act as OK, and only once OK is enabled.
    void reject() override;

private:
    double sum = 0.0;
};
