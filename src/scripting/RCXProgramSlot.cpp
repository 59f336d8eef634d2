#include "scripting/RCXProgramSlot.h"

#include "rcx/ProgramFileDownload.h"
#include "rcx/RCXController.h"
#include "ProgramSlotAdaptor.h"

#include <thread>

RCXProgramSlot::RCXProgramSlot(RCXController& controller, ProgramFileDownload& downloads, int slotNumber)
    : TransferElement(controller)
    , myDownloads(downloads)
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
    emit programChanged();
}

void RCXProgramSlot::handleDelete(ScriptCommand&)
{
    myRCXController.selectProgram(number);
    myRCXController.deleteCurrentProgram();
    emit programChanged();
}

void RCXProgramSlot::handleDownload(ScriptCommand& command)
{
    runTransfer(command, QT_TRANSLATE_NOOP("Localizable", "Download requires a file argument"),
                ScriptError::downloadFailed, [this, &command](const std::string& path) {
                    myRCXController.selectProgram(number);
                    const ProgramFileDownload::Result result = myDownloads.download(path, *this);
                    if (result.compileFailure)
                        command.fail(ScriptError::compileFailed, QString::fromStdString(result.compileFailure->text));
                    emit programChanged();
                });
}

void RCXProgramSlot::handleRun(ScriptCommand&)
{
    myRCXController.selectProgram(number);
    myRCXController.runCurrentProgram();
    emit programChanged();
}

void RCXProgramSlot::handleStop(ScriptCommand&)
{
    if (myRCXController.syncProgNum() == number)
        myRCXController.stopProgram();
}

void RCXProgramSlot::advanceBy(double)
{
    std::this_thread::sleep_for(blockPause);
}
