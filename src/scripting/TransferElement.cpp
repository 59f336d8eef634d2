#include "scripting/TransferElement.h"

#include <QCoreApplication>

void TransferElement::startFileOp(const std::string&) {}

void TransferElement::advanceBy(double) {}

void TransferElement::abortFileOp(const std::string& message)
{
    theError = message;
}

void TransferElement::stopFileOp() {}

void TransferElement::runTransfer(ScriptCommand& command, const char* missingText, int failedNumber,
                                  const std::function<void(const std::string& path)>& transfer)
{
    const QVariant file = command.evaluatedArguments().value("File");
    if (!file.isValid()) {
        command.fail(ScriptError::argumentMissing, QCoreApplication::translate("Localizable", missingText));
        return;
    }
    theError.reset();
    transfer(file.toString().toStdString());
    if (theError)
        command.fail(failedNumber, QString::fromStdString(*theError));
}
