#include "scripting/RCXMotorOutput.h"

#include "rcx/RCXController.h"
#include "scripting/EnumerationCodes.h"
#include "MotorOutputAdaptor.h"

namespace {
constexpr int off = 1;
}

RCXMotorOutput::RCXMotorOutput(RCXController& controller, int outputNumber)
    : ScriptElement(controller)
    , outputNumber(outputNumber)
{
    new MotorOutputAdaptor(this);
}

int RCXMotorOutput::l2p1(int mask)
{
    if (mask == 1)
        return 1;
    if (mask == 2 || mask == 3)
        return 2;
    return 3;
}

QString RCXMotorOutput::name() const
{
    static const char* const names[] = {"A", "B", "AB", "C", "AC", "BC", "ABC"};
    return outputNumber >= 1 && outputNumber <= 7 ? names[outputNumber - 1] : "";
}

int RCXMotorOutput::activity()
{
    return EnumerationCode::outputActivity + myRCXController.readOutputSettings(l2p1(outputNumber)).onOffFloat;
}

void RCXMotorOutput::setActivity(int code)
{
    myRCXController.setOutputsOnOffFloat(outputNumber, code - EnumerationCode::outputActivity);
}

int RCXMotorOutput::direction()
{
    return EnumerationCode::outputDirection + myRCXController.readOutputSettings(l2p1(outputNumber)).direction;
}

void RCXMotorOutput::setDirection(int code)
{
    myRCXController.setOutputsDirection(outputNumber, code - EnumerationCode::outputDirection);
}

int RCXMotorOutput::power()
{
    return myRCXController.readOutputSettings(l2p1(outputNumber)).power;
}

void RCXMotorOutput::setPower(int power)
{
    if (power >= 1 && power <= 8)
        myRCXController.setOutputsPower(outputNumber, power);
}

void RCXMotorOutput::handleStop(ScriptCommand&)
{
    myRCXController.setOutputsOnOffFloat(outputNumber, off);
}
