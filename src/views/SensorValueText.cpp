#include "views/SensorValueText.h"

#include "protocol/Sensors.h"

#include <QLocale>

QString sensorValueText(int value, int mode)
{
    const QLocale locale;
    switch (mode) {
    case celsiusMode:
        return locale.toString(value / 10.0, 'f', 1) + QStringLiteral(" °C");
    case fahrenheitMode:
        return locale.toString(value / 10.0, 'f', 1) + QStringLiteral(" °F");
    default:
        return QString::number(value);
    }
}
