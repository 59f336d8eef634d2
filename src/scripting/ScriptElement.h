#pragma once

#include "scripting/ScriptCommand.h"

#include <QDBusContext>
#include <QObject>

class RCXController;

// What every scriptable object shares: the controller its properties and
// commands turn into brick operations, and the answer to a command that
// arrived over D-Bus, whose script error becomes a D-Bus error named
// org.infrabrick.ScriptError.E<number without its sign>.
class ScriptElement : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    static QString errorName(int scriptErrorNumber);

protected:
    explicit ScriptElement(RCXController& controller) : myRCXController(controller) {}

    // Runs `handler` on a command made of `arguments` and answers the caller.
    template <class Element>
    void perform(const QVariantMap& arguments, void (Element::*handler)(ScriptCommand&))
    {
        ScriptCommand command(arguments);
        (static_cast<Element*>(this)->*handler)(command);
        answer(command);
    }

    RCXController& myRCXController;

private:
    void answer(const ScriptCommand& command);
};
