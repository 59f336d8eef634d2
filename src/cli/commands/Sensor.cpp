// sensor 1|2|3 [--type T] [--mode M] [--slope S]: a sensor's type and mode,
// set first when given, and its value.
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"
#include "protocol/Sensors.h"

namespace {

constexpr int sensors = 3;
constexpr int largestSlope = 31;
const QStringList typeNames = {"none", "touch", "temperature", "light", "rotation"};
const QStringList modeNames = {"raw", "boolean", "transition", "period", "percent", "celsius", "fahrenheit", "angle"};

// A type or mode by its name or number; none after a usage fault.
std::optional<int> named(Invocation& invocation, const QString& option, const QStringList& names,
                         const QString& what)
{
    const qsizetype index = names.indexOf(invocation.value(option).toLower());
    if (index >= 0)
        return static_cast<int>(index);
    return invocation.number(invocation.value(option), 0, static_cast<int>(names.size()) - 1, what);
}

int sensor(Invocation& invocation)
{
    const std::optional<int> number =
        invocation.number(invocation.arguments().first(), 1, sensors, Localizable::tr("The sensor"));
    if (!number)
        return invocation.report().status();
    std::optional<int> type, mode, slope;
    if (invocation.isSet("type") && !(type = named(invocation, "type", typeNames, Localizable::tr("The type"))))
        return invocation.report().status();
    if (invocation.isSet("mode") && !(mode = named(invocation, "mode", modeNames, Localizable::tr("The mode"))))
        return invocation.report().status();
    if (invocation.isSet("slope")
        && !(slope = invocation.number(invocation.value("slope"), 0, largestSlope, Localizable::tr("The slope"))))
        return invocation.report().status();
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    if (type)
        brick->setSensorType(*number, *type);
    // A slope alone goes with the mode the sensor has.
    if (mode || slope)
        brick->setSensorModeSlope(*number, mode.value_or(brick->readSensorSettings(*number).mode), slope.value_or(0));
    const SensorSettings settings = brick->readSensorSettings(*number);
    const int value = brick->readInput(*number);
    Report& report = invocation.report();
    const QString typeName = typeNames.value(settings.type, QString::number(settings.type));
    const QString modeName = modeNames.value(settings.mode);
    report.set("type", typeName);
    report.set("mode", modeName);
    report.set("slope", settings.slope);
    report.set("value", value);
    report.say(Localizable::tr("Type: %1, mode: %2, slope: %3, value: %4").arg(typeName, modeName).arg(settings.slope).arg(value));
    return invocation.finish();
}

} // namespace

const Subcommand sensorCommand = {
    "sensor", "1|2|3", QT_TRANSLATE_NOOP("Localizable", "Show a sensor's type, mode and value, set first when given."),
    1, 1,
    {{{"type"}, QT_TRANSLATE_NOOP("Localizable", "none, touch, temperature, light or rotation."), "T"},
     {{"mode"}, QT_TRANSLATE_NOOP("Localizable", "raw, boolean, transition, period, percent, celsius, fahrenheit or angle."), "M"},
     {{"slope"}, QT_TRANSLATE_NOOP("Localizable", "The slope, 0 to 31."), "S"}},
    sensor};
