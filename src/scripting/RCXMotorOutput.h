#pragma once

#include "scripting/ScriptElement.h"

// A motor output, or a combination of outputs, seen by scripts: reads report
// the combination's last-lettered output, writes set every output in it.
class RCXMotorOutput : public ScriptElement {
    Q_OBJECT
    Q_PROPERTY(QString name READ name)
    Q_PROPERTY(int activity READ activity WRITE setActivity)
    Q_PROPERTY(int direction READ direction WRITE setDirection)
    Q_PROPERTY(int power READ power WRITE setPower)
public:
    // `outputNumber` is the mask 1 to 7: A = 1, B = 2, C = 4.
    RCXMotorOutput(RCXController& controller, int outputNumber);

    // The output whose settings are read for `mask`: its highest member, 1 to
    // 3; 3 for a mask below 1.
    static int l2p1(int mask);

    QString name() const;
    int activity();
    void setActivity(int code);
    int direction();
    void setDirection(int code);
    int power();
    // A power outside 1 to 8 is ignored.
    void setPower(int power);

    void handleStop(ScriptCommand& command);

public slots:
    void Stop(const QVariantMap& arguments) { perform(arguments, &RCXMotorOutput::handleStop); }

private:
    int outputNumber;
};
