// status: the battery, the versions, the slots, the memory, the datalog and
// the watch.
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"
#include "cli/commands/Watch.h"
#include "protocol/ProgramSlots.h"
#include "protocol/Words.h"

#include <QJsonArray>

#include <algorithm>
#include <array>

namespace {

constexpr int datalogStartWord = 90;
constexpr int freeStartWord = 92;
constexpr int memoryEndWord = 93;

// The words of the memory map, high byte first.
struct MemoryMap {
    std::array<std::uint8_t, RCXController::memMapLength> bytes{};

    int word(int index) const { return bigEndian16(bytes, 2 * static_cast<std::size_t>(index)); }
    // Subroutines are words 0-39, 8 a slot; tasks words 40-89, 10 a slot.
    bool holdsProgram(int slot) const
    {
        const int subs = subsPerSlot * slot;
        const int tasks = programSlots * subsPerSlot + tasksPerSlot * slot;
        return word(subs) != word(subs + subsPerSlot) || word(tasks) != word(tasks + tasksPerSlot);
    }
};

QString versionText(int major, int minor)
{
    return QString("%1.%2").arg(major).arg(minor);
}

void reportVersions(Report& report, const Versions& versions)
{
    const QString rom = versionText(versions.romMajor, versions.romMinor);
    report.set("rom", rom);
    report.say(Localizable::tr("ROM: %1").arg(rom));
    if (!versions.hasFirmware()) {
        report.set("firmware", QJsonValue::Null);
        report.say(Localizable::tr("Firmware: none"));
        return;
    }
    const QString firmware = versionText(versions.firmwareMajor, versions.firmwareMinor);
    report.set("firmware", firmware);
    report.say(Localizable::tr("Firmware: %1").arg(firmware));
}

void reportMemory(Report& report, RCXController& brick)
{
    MemoryMap map;
    brick.readMemMap(map.bytes.data());
    QJsonArray occupied;
    QStringList slotNames;
    for (int slot = 0; slot < programSlots; ++slot)
        if (map.holdsProgram(slot))
            occupied.append(slot + 1), slotNames.append(QString::number(slot + 1));
    report.set("programs", occupied);
    report.say(Localizable::tr("Programs in slots: %1").arg(slotNames.isEmpty() ? Localizable::tr("none") : slotNames.join(", ")));

    const int programs = map.word(datalogStartWord) - map.word(0);
    const int datalog = map.word(freeStartWord) - map.word(datalogStartWord);
    const int free = map.word(memoryEndWord) - map.word(freeStartWord);
    report.set("memory", QJsonObject{{"programs", programs}, {"datalog", datalog}, {"free", free}});
    report.say(Localizable::tr("Memory: %1 bytes of programs, %2 bytes of datalog, %3 bytes free")
                   .arg(programs).arg(datalog).arg(free));

    // Without a datalog its size reads -1, and there is no entry to upload.
    const int size = brick.datalogSize();
    const int used = size >= 0 ? brick.datalogUsed() - 1 : 0;
    report.set("datalog", QJsonObject{{"used", used}, {"size", std::max(size, 0)}});
    report.say(Localizable::tr("Datalog: %1 of %2 entries").arg(used).arg(std::max(size, 0)));
}

int status(Invocation& invocation)
{
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    Report& report = invocation.report();
    const int millivolts = brick->readBatteryLevel();
    report.set("battery", QJsonObject{{"millivolts", millivolts}, {"volts", millivolts / 1000.0}});
    report.say(Localizable::tr("Battery: %1 mV (%2 V)").arg(millivolts).arg(millivolts / 1000.0, 0, 'f', 2));
    const Versions versions = brick->readVersions();
    reportVersions(report, versions);
    // Without firmware only the boot ROM answers: there is nothing more.
    if (versions.hasFirmware() && !invocation.session().linkFailed()) {
        const int slot = brick->syncProgNum();
        report.set("slot", slot);
        report.say(Localizable::tr("Slot: %1").arg(slot));
        reportMemory(report, *brick);
        const QString watch = watchText(brick->readWatch());
        report.set("watch", watch);
        report.say(Localizable::tr("Watch: %1").arg(watch));
    }
    return invocation.finish();
}

} // namespace

const Subcommand statusCommand = {
    "status", "",
    QT_TRANSLATE_NOOP("Localizable", "Show the battery, the versions, the slot, the programs, the memory, the datalog "
                                     "and the watch."),
    0, 0, {}, status};
