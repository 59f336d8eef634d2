#include "scripting/RCXProgramSlot.h"

#include "rcx/RCXController.h"
#include "ProgramSlotAdaptor.h"

#include <thread>

RCXProgramSlot::RCXProgramSlot(RCXController& controller, int slotNumber)
    : TransferElement(controller)
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
    runTransfer(command, QT_TRANSLATE_NOOP("Localizable", "Download requires a file argument"),
                ScriptError::downloadFailed, [this](const std::string& path) {
                    myRCXController.selectProgram(number);
                    myRCXController.sendProgFile(path, *this);
                });
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

void RCXProgramSlot::advanceBy(double)
{
    std::this_thread::sleep_for(blockPause);
}
