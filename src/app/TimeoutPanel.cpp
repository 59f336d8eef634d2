#include "app/TimeoutPanel.h"
#include "ui_TimeoutPanel.h"

#include <QStyle>

TimeoutPanel::TimeoutPanel(QWidget* parent, const QString& sheetTitle, const QString& title, const QString& text,
                           bool offerFirmware)
    : Panel(parent)
{
    setWindowTitle(sheetTitle);
    int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    ui->icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(iconSize));
    ui->titleLabel->setText(title);
    ui->textLabel->setText(text);
    ui->firmwareButton->setVisible(offerFirmware);
    connect(ui->okButton, &QPushButton::clicked, this, &TimeoutPanel::okButton);
    connect(ui->preferencesButton, &QPushButton::clicked, this, &TimeoutPanel::preferencesButton);
    connect(ui->firmwareButton, &QPushButton::clicked, this, &TimeoutPanel::firmwareButton);
    connect(ui->quitButton, &QPushButton::clicked, this, &TimeoutPanel::terminate);
}

void TimeoutPanel::okButton()
{
    done(retryCode);
}

void TimeoutPanel::preferencesButton()
{
    done(preferencesCode);
}

void TimeoutPanel::firmwareButton()
{
    done(firmwareCode);
}

void TimeoutPanel::terminate()
{
    setResult(quitCode);
    emit finished(quitCode);
}

void TimeoutPanel::reject()
{
}

TimeoutPanel::~TimeoutPanel() = default;
