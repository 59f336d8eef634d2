#include "app/FileProgressPanel.h"
#include "ui_FileProgressPanel.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>

FileProgressPanel::FileProgressPanel(QWidget* parent) : Panel(parent)
{
    connect(ui->fileProgressOKButton, &QPushButton::clicked, this, &FileProgressPanel::okButton);
}

void FileProgressPanel::showStart(const QString& text)
{
    sum = 0.0;
    ui->fileProgressBar->setRange(0, 100);
    ui->fileProgressBar->setValue(0);
    ui->fileProgressOKButton->setEnabled(false);
    title = text;
    ui->fileProgressText->setText(text);
    ui->fileProgressTimeLeft->clear();
    timeLeft.restart();
    sinceStart.start();
}

void FileProgressPanel::showNote(const QString& note)
{
    ui->fileProgressText->setText(title + QLatin1Char('\n') + note);
    ui->fileProgressTimeLeft->clear();
    timeLeft.restart();
    if (isVisible())
        repaint();
}

void FileProgressPanel::openOnScreen()
{
    QEventLoop untilDrawn;
    connect(this, &FileProgressPanel::drawn, &untilDrawn, &QEventLoop::quit);
    QTimer::singleShot(drawWait, &untilDrawn, &QEventLoop::quit);
    awaitingDraw = true;
    open();
    untilDrawn.exec(QEventLoop::ExcludeUserInputEvents);
    awaitingDraw = false;
}

void FileProgressPanel::paintEvent(QPaintEvent* event)
{
    Panel::paintEvent(event);
    // The painting reaches the screen when the whole update is done, before
    // the waiting loop looks at its quit flag.
    if (awaitingDraw)
        emit drawn();
}

void FileProgressPanel::incrementBy(double delta)
{
    sum += delta;
    ui->fileProgressBar->setValue(static_cast<int>(std::clamp(std::floor(sum), 0.0, 100.0)));
    timeLeft.reached(sum, TimeLeft::Time(sinceStart.elapsed()));
    ui->fileProgressTimeLeft->setText(TimeLeft::text(timeLeft.left()));
    if (isVisible())
        repaint();
}

void FileProgressPanel::showFailure(const QString& text)
{
    ui->fileProgressOKButton->setEnabled(true);
    ui->fileProgressText->setText(text);
    ui->fileProgressTimeLeft->clear();
    if (isVisible())
        repaint();
}

void FileProgressPanel::okButton()
{
    accept();
}

void FileProgressPanel::reject()
{
    if (ui->fileProgressOKButton->isEnabled())
        okButton();
}

FileProgressPanel::~FileProgressPanel() = default;
