#include "scripting/ScriptHold.h"

#include "scripting/RCXControllerScript.h"

ScriptHold::ScriptHold(RCXControllerScript& brick)
    : held(brick.scriptObjects())
{
    // An object is moved by the thread it belongs to: the parking thread
    // hands them back itself.
    QThread* home = QThread::currentThread();
    parking.reset(QThread::create([this, home] {
        for (QObject* object : held)
            object->moveToThread(home);
    }));
    for (QObject* object : held)
        object->moveToThread(parking.get());
}

ScriptHold::~ScriptHold()
{
    parking->start();
    parking->wait();
}
