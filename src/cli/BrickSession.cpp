#include "cli/BrickSession.h"

#include "cli/ExitStatus.h"
#include "cli/Texts.h"
#include "cli/TowerChoice.h"
#include "models/SavedPort.h"

BrickSession::BrickSession(Interruption& interruption)
    : interruption(interruption)
    , myLink(*this)
{
    interruption.watch(myLink.packet());
}

bool BrickSession::open(const QString& port, Report& report)
{
    if (port.isEmpty()) {
        const SavedPort saved = SavedPort::load(QSettings("Infrabrick", "Infrabrick"));
        if (saved.path.isEmpty() && saved.type.isEmpty()) {
            report.fail(exitTowerUnusable,
                        Localizable::tr("No tower chosen: name one with --port, or choose one in Infrabrick's preferences"));
            return false;
        }
        return openEntry(saved.type.toStdString(), saved.name.toStdString(), saved.path.toStdString(), report);
    }
    const std::optional<TowerEntry> entry = chooseTower(ports(), port.toStdString());
    if (!entry) {
        report.fail(exitTowerUnusable, Localizable::tr("There is no tower called \"%1\"").arg(port));
        return false;
    }
    return openEntry(entry->type, entry->name, entry->path, report);
}

bool BrickSession::openEntry(const std::string& type, const std::string& name, const std::string& path,
                             Report& report)
{
    // A serial line opens under another program as well, so its holder is
    // looked for first; a USB tower refuses the open.
    const bool serial = type == AllPorts::serialType;
    std::optional<TowerHolder> holder = serial ? towerHolder(path) : std::nullopt;
    IOReturn result = kIOReturnSuccess;
    if (!holder && (result = ports().setPort(type, name, path)) == kIOReturnExclusiveAccess && !serial)
        holder = usbTowerHolder(path);
    if (!holder && result == kIOReturnSuccess) {
        myLink.packet().startReadLoop();
        return true;
    }
    const QString tower = fromCore(name);
    report.fail(exitTowerUnusable,
                holder ? Localizable::tr("The tower \"%1\" is in use by %2 (process %3)")
                             .arg(tower, fromCore(holder->program), fromCore(holder->process))
                : result == kIOReturnExclusiveAccess
                    ? Localizable::tr("The tower \"%1\" is in use by another program").arg(tower)
                    : Localizable::tr("The tower \"%1\" cannot be used (error %2)")
                          .arg(tower, QString::number(static_cast<std::uint32_t>(result), 16)));
    return false;
}

int BrickSession::finish(Report& report, const std::optional<std::string>& failure)
{
    if (interruption.happened())
        return report.fail(exitInterrupted, Localizable::tr("Interrupted"));
    if (timeouts > 0)
        return report.fail(exitNoAnswer, Localizable::tr("No response from RCX"));
    if (towerErrors > 0)
        return report.fail(exitTowerUnusable, Localizable::tr("Error accessing IR tower"));
    if (failure)
        return report.fail(exitRefused, fromCore(*failure));
    return report.status();
}

void BrickSession::cleanUp(const std::function<void()>& exchange)
{
    if (linkFailed())
        return;
    if (interruption.happened())
        myLink.packet().startReadLoop();
    exchange();
}

void BrickSession::timeout()
{
    if (!interruption.happened())
        ++timeouts;
}

void BrickSession::towerError()
{
    if (!interruption.happened())
        ++towerErrors;
}
