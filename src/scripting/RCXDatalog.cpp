#include "scripting/RCXDatalog.h"

#include "rcx/RCXController.h"
#include "DatalogAdaptor.h"

#include <QCoreApplication>

RCXDatalog::RCXDatalog(RCXController& controller) : ScriptElement(controller)
{
    new DatalogAdaptor(this);
}

int RCXDatalog::totalSize() const
{
    return myRCXController.datalogSize();
}

void RCXDatalog::setTotalSize(int size)
{
    myRCXController.setDataLog(size, *this);
}

void RCXDatalog::handleDelete(ScriptCommand&)
{
    myRCXController.setDataLog(myRCXController.datalogSize(), *this);
}

void RCXDatalog::handleSave(ScriptCommand& command)
{
    const QVariant file = command.evaluatedArguments().value("File");
    if (!file.isValid()) {
        command.setScriptErrorNumber(ScriptError::argumentMissing);
        command.setScriptErrorString(QCoreApplication::translate("Localizable", "Save requires a file argument"));
        return;
    }
    theError.reset();
    myRCXController.saveDatalogFile(file.toString().toStdString(), *this);
    if (theError) {
        command.setScriptErrorNumber(ScriptError::saveFailed);
        command.setScriptErrorString(QString::fromStdString(*theError));
    }
}

void RCXDatalog::startFileOp(const std::string&) {}

void RCXDatalog::advanceBy(double) {}

void RCXDatalog::abortFileOp(const std::string& message)
{
    theError = message;
}

void RCXDatalog::stopFileOp() {}
