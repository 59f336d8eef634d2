#include "protocol/Sensors.h"

SensorMode defaultMode(int sensorType)
{
    static constexpr SensorMode modes[sensorTypeCount] = {rawMode, booleanMode, celsiusMode, percentMode, angleMode};
    return sensorType >= 0 && sensorType < sensorTypeCount ? modes[sensorType] : rawMode;
}
