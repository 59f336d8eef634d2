#include "app/CompileErrorPanel.h"
#include "ui_CompileErrorPanel.h"

#include <QClipboard>
#include <QGuiApplication>

CompileErrorPanel::CompileErrorPanel(QWidget* parent) : Panel(parent)
{
    connect(ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->copyButton, &QPushButton::clicked, this, &CompileErrorPanel::copyButton);
}

void CompileErrorPanel::showFailure(const Compilation& failure)
{
    fullText = QString::fromStdString(failure.text);
    ui->titleLabel->setText(fullText.section('\n', 0, 0));
    ui->errorList->clear();
    for (const CompileError& error : failure.errors)
        ui->errorList->addTopLevelItem(new QTreeWidgetItem(
            {QString::fromStdString(error.file), error.line > 0 ? QString::number(error.line) : QString(),
             QString::fromStdString(error.message)}));
    ui->errorList->setVisible(!failure.errors.empty());
    ui->errorList->resizeColumnToContents(0);
    ui->errorList->resizeColumnToContents(1);
}

void CompileErrorPanel::copyButton()
{
    QGuiApplication::clipboard()->setText(fullText);
}

CompileErrorPanel::~CompileErrorPanel() = default;
