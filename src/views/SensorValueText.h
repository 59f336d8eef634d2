#pragma once

#include <QString>

// A sensor's value as the window shows it. The brick gives temperatures in
// tenths of a degree: they are shown with their decimal point and unit. The
// value itself stays the brick's number wherever it is kept or handed on
// (the datalog's text, the scripts).
QString sensorValueText(int value, int mode);
