#include "scripting/RCXSensorInput.h"

#include "rcx/RCXController.h"
#include "scripting/EnumerationCodes.h"
#include "SensorInputAdaptor.h"

RCXSensorInput::RCXSensorInput(RCXController& controller, int inputNumber)
    : ScriptElement(controller)
    , inputNumber(inputNumber)
{
    new SensorInputAdaptor(this);
}

QString RCXSensorInput::name() const
{
    return QString::number(inputNumber);
}

int RCXSensorInput::value()
{
    return myRCXController.readInput(inputNumber);
}

int RCXSensorInput::type()
{
    return EnumerationCode::sensorType + myRCXController.readSensorSettings(inputNumber).type;
}

void RCXSensorInput::setType(int code)
{
    myRCXController.setSensorType(inputNumber, code - EnumerationCode::sensorType);
    emit settingsChanged();
}

int RCXSensorInput::mode()
{
    return EnumerationCode::sensorMode + myRCXController.readSensorSettings(inputNumber).mode;
}

void RCXSensorInput::setMode(int code)
{
    myRCXController.setSensorMode(inputNumber, code - EnumerationCode::sensorMode);
    emit settingsChanged();
}

int RCXSensorInput::slope()
{
    return myRCXController.readSensorSettings(inputNumber).slope;
}

void RCXSensorInput::setSlope(int slope)
{
    const int mode = myRCXController.readSensorSettings(inputNumber).mode;
    if (slope < 0 || slope > 31)
        return;
    myRCXController.setSensorModeSlope(inputNumber, mode, slope);
    emit settingsChanged();
}
