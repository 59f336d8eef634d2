#pragma once

#include "scripting/ScriptElement.h"

// A sensor input, 1 to 3, seen by scripts. A type, mode or slope a script
// sets is told as settingsChanged, so that the window follows.
class RCXSensorInput : public ScriptElement {
    Q_OBJECT
    Q_PROPERTY(QString name READ name)
    Q_PROPERTY(int value READ value)
    Q_PROPERTY(int type READ type WRITE setType)
    Q_PROPERTY(int mode READ mode WRITE setMode)
    Q_PROPERTY(int slope READ slope WRITE setSlope)
public:
    RCXSensorInput(RCXController& controller, int inputNumber);

    QString name() const;
    int value();
    int type();
    void setType(int code);
    int mode();
    // Also sets the slope to 0.
    void setMode(int code);
    int slope();
    // A slope outside 0 to 31 is ignored; the mode stays as it is.
    void setSlope(int slope);

signals:
    void settingsChanged();

private:
    int inputNumber;
};
