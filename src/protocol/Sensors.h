#pragma once

#include <cstdint>

// What is plugged into a sensor input, as the sensor type command (0x32)
// sets it.
enum SensorType : std::uint8_t {
    noSensor = 0, // raw readings
    touchSensor = 1,
    temperatureSensor = 2,
    lightSensor = 3,
    rotationSensor = 4,
};
constexpr int sensorTypeCount = 5;

// How the brick turns a sensor's raw readings into its value.
enum SensorMode : std::uint8_t {
    rawMode = 0,
    booleanMode = 1,
    transitionMode = 2,
    periodMode = 3,
    percentMode = 4,
    celsiusMode = 5,
    fahrenheitMode = 6,
    angleMode = 7,
};

// A sensor's mode byte, as the sensor mode command (0x42) sets it and source
// 11 reads it: the mode in bits 5-7, the slope (0-31) in bits 0-4.
constexpr int sensorModeByte(int mode, int slope)
{
    return mode << 5 | (slope & 0x1F);
}

constexpr int sensorModeOf(int modeByte)
{
    return modeByte >> 5;
}

constexpr int sensorSlopeOf(int modeByte)
{
    return modeByte & 0x1F;
}

// The mode that suits a sensor type best, which the brick sets with the
// type: raw for none, boolean for touch, Celsius for temperature, percent
// for light, angle for rotation; raw for a type it does not know.
SensorMode defaultMode(int sensorType);
