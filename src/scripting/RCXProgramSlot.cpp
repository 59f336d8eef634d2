#include "scripting/RCXProgramSlot.h"

#include "rcx/RCXController.h"
#include "ProgramSlotAdaptor.h"

#include <QCoreApplication>

#include <thread>

RCXProgramSlot::RCXProgramSlot(RCXController& controller, int slotNumber)
    : ScriptElement(controller)
    , number(slotNumber)
{
    new ProgramSlotAdaptor(this);
}

QString RCXProgramSlot::name() const
{
    return QString::fromStdString(myRCXController.progName(number));
}

void RCXProgramSlot::handleSelect(ScriptCommand&)
{
    myRCXController.selectProgram(number);
}

void RCXProgramSlot::handleDelete(ScriptCommand&)
{
    myRCXController.selectProgram(number);
    myRCXController.deleteCurrentProgram();
}

void RCXProgramSlot::handleDownload(ScriptCommand& command)
{
    const QVariant file = command.evaluatedArguments().value("File");
    if (!file.isValid()) {
        command.setScriptErrorNumber(ScriptError::argumentMissing);
        command.setScriptErrorString(QCoreApplication::translate("Localizable", "Download requires a file argument"));
        return;
    }
    theError.reset();
    myRCXController.selectProgram(number);
    myRCXController.sendProgFile(file.toString().toStdString(), *this);
    if (theError) {
        command.setScriptErrorNumber(ScriptError::downloadFailed);
        command.setScriptErrorString(QString::fromStdString(*theError));
    }
}

void RCXProgramSlot::handleRun(ScriptCommand&)
{
    myRCXController.selectProgram(number);
    myRCXController.runCurrentProgram();
}

void RCXProgramSlot::handleStop(ScriptCommand&)
{
    if (myRCXController.syncProgNum() == number)
        myRCXController.stopProgram();
}

void RCXProgramSlot::startFileOp(const std::string&) {}

void RCXProgramSlot::advanceBy(double)
{
    std::this_thread::sleep_for(blockPause);
}

void RCXProgramSlot::abortFileOp(const std::string& message)
{
    theError = message;
}

void RCXProgramSlot::stopFileOp() {}
