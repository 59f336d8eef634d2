#include "protocol/Sensors.h"

SensorMode defaultMode(int sensorType)
{
    switch (sensorType) {
    case touchSensor:
        return booleanMode;
    case temperatureSensor:
        return celsiusMode;
    case lightSensor:
        return percentMode;
    case rotationSensor:
        return angleMode;
    default: // noSensor, and any type the brick does not know
        return rawMode;
    }
}
