// watch [now|HH:MM]: reads the brick's watch, or sets it to the computer's
// clock or to a time.
#include "cli/commands/Watch.h"

#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"

#include <QTime>

QString watchText(int minutes)
{
    return QString("%1:%2").arg(minutes / 60, 2, 10, QChar('0')).arg(minutes % 60, 2, 10, QChar('0'));
}

namespace {

int watch(Invocation& invocation)
{
    const QString given = invocation.arguments().value(0);
    const QTime time = given == "now" ? QTime::currentTime() : QTime::fromString(given, "H:mm");
    if (!given.isEmpty() && !time.isValid())
        return invocation.usage(Localizable::tr("The time must be now or HH:MM, not \"%1\"").arg(given));
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    if (time.isValid())
        brick->setWatchTime(time.hour(), time.minute());
    const QString shown = watchText(brick->readWatch());
    invocation.report().set("watch", shown);
    invocation.report().say(shown);
    return invocation.finish();
}

} // namespace

const Subcommand watchCommand = {
    "watch", "[now|HH:MM]",
    QT_TRANSLATE_NOOP("Localizable", "Show the brick's watch, or set it to the computer's clock or to a time."), 0,
    1, {}, watch};
