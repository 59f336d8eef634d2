#pragma once

#include "scripting/ScriptElement.h"

// One of the brick's 32 variables, seen by scripts.
class RCXVariable : public ScriptElement {
    Q_OBJECT
    Q_PROPERTY(QString name READ name)
    Q_PROPERTY(int number READ varNumber)
    Q_PROPERTY(int value READ value WRITE setValue)
public:
    RCXVariable(RCXController& controller, int varNumber);

    // Its name in the current slot's program.
    QString name() const;
    int varNumber() const { return number; }
    int value();
    // Keeps the low 16 bits, as a signed number.
    void setValue(int value);

private:
    int number;
};
