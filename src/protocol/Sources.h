#pragma once

// The values that the get-value command (0x12) and the instructions name by
// a source and an argument:
//    0 variable: 0-31 global, 32-47 the running task's own
//    1 timer 0-3, tenths of a second     2 the argument itself
//    3 output status byte (A-C 0-2)      4 random, 0 to the argument
//    8 program slot 0-4                  9 sensor value (sensors 0-2)
//   10 sensor type                      11 sensor mode byte
//   12 sensor raw reading               13 sensor boolean state
//   14 watch, minutes                   15 last message
//   17 global output status byte        21 counter 0-2
//   23 the events that last interrupted task 0-9 (10: the running task)
//   25 an event's range: 0 low, 1 normal, 2 high, 3 not yet known
//   26 timer 0-3, hundredths            27 an event's click counter
//   28, 29, 30 an event's upper limit, lower limit, hysteresis
//   31 an event's click time            33 serial register 0-21
//   34 battery, millivolts              35 firmware version, 309 for 3.9
//   36 the variable whose number variable `argument` holds
// Writable: variables (0 and 36), timers (1 and 26), random (its seed),
// counters, and events' click counters, limits and click times.
enum Source : int {
    variableSource = 0,
    timerSource = 1,
    constantSource = 2,
    outputSource = 3,
    randomSource = 4,
    slotSource = 8,
    sensorValueSource = 9,
    sensorTypeSource = 10,
    sensorModeSource = 11,
    sensorRawSource = 12,
    sensorBooleanSource = 13,
    watchSource = 14,
    messageSource = 15,
    globalOutputSource = 17,
    counterSource = 21,
    taskEventsSource = 23,
    eventRangeSource = 25,
    fastTimerSource = 26,
    clickCounterSource = 27,
    upperLimitSource = 28,
    lowerLimitSource = 29,
    hysteresisSource = 30,
    clickTimeSource = 31,
    serialSource = 33,
    batterySource = 34,
    firmwareVersionSource = 35,
    indirectSource = 36,
};
