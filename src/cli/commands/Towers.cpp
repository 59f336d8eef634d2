// towers: the port list the preferences show.
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"

#include <QJsonArray>

namespace {

int towers(Invocation& invocation)
{
    AllPorts& ports = invocation.session().ports();
    QJsonArray list;
    const int count = ports.findPorts();
    for (int index = 0; index < count; ++index) {
        const QString name = fromCore(ports.portNameAtIndex(index));
        const QString type = fromCore(ports.portTypeAtIndex(index));
        const QString path = fromCore(ports.portPathAtIndex(index));
        list.append(QJsonObject{{"name", name}, {"type", type}, {"path", path}});
        invocation.report().say(path.isEmpty() || path == name ? name : name + "\t" + path);
    }
    invocation.report().set("towers", list);
    return invocation.finish();
}

} // namespace

const Subcommand towersCommand = {
    "towers", "", QT_TRANSLATE_NOOP("Localizable", "List the towers: serial lines, announced virtual bricks, the USB tower."),
    0, 0, {}, towers};
