#include "scripting/RCXDatalog.h"

#include "rcx/RCXController.h"
#include "DatalogAdaptor.h"

#include <QtGlobal>

RCXDatalog::RCXDatalog(RCXController& controller) : TransferElement(controller)
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
    runTransfer(command, QT_TRANSLATE_NOOP("Localizable", "Save requires a file argument"), ScriptError::saveFailed,
                [this](const std::string& path) { myRCXController.saveDatalogFile(path, *this); });
}
