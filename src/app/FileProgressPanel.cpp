#include "app/FileProgressPanel.h"

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
    ui->fileProgressText->setText(text);
}

void FileProgressPanel::incrementBy(double delta)
{
    sum += delta;
    ui->fileProgressBar->setValue(static_cast<int>(std::clamp(std::floor(sum), 0.0, 100.0)));
    if (isVisible())
        repaint();
}

void FileProgressPanel::showFailure(const QString& text)
{
    ui->fileProgressOKButton->setEnabled(true);
    ui->fileProgressText->setText(text);
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
