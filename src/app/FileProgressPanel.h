#pragma once

#include "app/Panel.h"
#include "models/TimeLeft.h"

#include <QElapsedTimer>

namespace Ui {
class LocalizableFileProgressPanel;
}

// The progress sheet of a file transfer. While the transfer runs its OK button
// is disabled and the time left shows beside it; a failure leaves the message
// on the sheet with OK enabled.
// The transfer blocks the event loop, so the sheet is put on screen before it
// runs, and repaints itself at once.
class FileProgressPanel : public Panel<Ui::LocalizableFileProgressPanel> {
    Q_OBJECT
public:
    explicit FileProgressPanel(QWidget* parent);
    ~FileProgressPanel() override;

    // How long openOnScreen waits at most for the window system.
    static constexpr int drawWait = 500; // ms

    // A transfer begins: bar at 0, OK disabled, the title shown.
    void showStart(const QString& text);
    // Opens the sheet and returns once it has been drawn on screen (or after
    // drawWait): a window shown just before the event loop is held is only
    // mapped and drawn once the loop runs again. Everything but the user's
    // input is served meanwhile; callers wait before their first exchange
    // with the brick, so nothing is under way then.
    void openOnScreen();
    // Adds percentage points; the sum is kept exactly, the bar shows it whole.
    void incrementBy(double delta);
    // The transfer changed its way: the note under the title, and the time
    // left measured anew, at the new pace.
    void showNote(const QString& note);
    // A transfer failed: its message, OK enabled.
    void showFailure(const QString& text);
    double progress() const { return sum; }

public slots:
    void okButton();
    // Escape and the close button act as OK, and only once OK is enabled.
    void reject() override;

signals:
    void drawn();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double sum = 0.0;
    QString title;
    bool awaitingDraw = false;
    TimeLeft timeLeft;
    QElapsedTimer sinceStart;
};
