// motor A|B|C on|off|float [--power 1-8] [--forward|--reverse]: one output
// or more, as the letters name them.
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"
#include "protocol/Outputs.h"

namespace {

constexpr int lowestPower = 1;
constexpr int highestPower = 8;

// The mask of the outputs the letters name (A = 1, B = 2, C = 4), 0 for a
// letter that names none.
int outputMask(const QString& letters)
{
    int mask = 0;
    for (const QChar letter : letters.toUpper()) {
        if (letter < 'A' || letter > 'C')
            return 0;
        mask |= 1 << (letter.unicode() - 'A');
    }
    return mask;
}

int motor(Invocation& invocation)
{
    const QStringList& arguments = invocation.arguments();
    const int mask = outputMask(arguments[0]);
    if (mask == 0)
        return invocation.usage(Localizable::tr("There is no output \"%1\": name A, B or C").arg(arguments[0]));
    // In the order of the output mode codes: float 0, off 1, on 2.
    const QStringList states = {"float", "off", "on"};
    const qsizetype state = states.indexOf(arguments[1].toLower());
    if (state < 0)
        return invocation.usage(Localizable::tr("An output is on, off or float, not \"%1\"").arg(arguments[1]));
    if (invocation.isSet("forward") && invocation.isSet("reverse"))
        return invocation.usage(Localizable::tr("Choose --forward or --reverse, not both"));
    std::optional<int> power;
    if (invocation.isSet("power")
        && !(power = invocation.number(invocation.value("power"), lowestPower, highestPower, Localizable::tr("The power"))))
        return invocation.report().status();
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    if (invocation.isSet("forward") || invocation.isSet("reverse"))
        brick->setOutputsDirection(mask, static_cast<int>(invocation.isSet("forward") ? OutputDirection::Forward : OutputDirection::Reverse));
    if (power)
        brick->setOutputsPower(mask, *power);
    brick->setOutputsOnOffFloat(mask, static_cast<int>(state));
    return invocation.finish();
}

} // namespace

const Subcommand motorCommand = {
    "motor", "A|B|C on|off|float",
    QT_TRANSLATE_NOOP("Localizable", "Switch outputs on, off or to float, with their power and direction."), 2, 2,
    {{{"power"}, QT_TRANSLATE_NOOP("Localizable", "The power, 1 to 8."), "N"},
     {{"forward"}, QT_TRANSLATE_NOOP("Localizable", "Turn forward.")},
     {{"reverse"}, QT_TRANSLATE_NOOP("Localizable", "Turn in reverse.")}},
    motor};
