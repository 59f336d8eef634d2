// memory: the memory map as the window's Memory tab shows it, one region a
// line as the window copies them.
#include "cli/Invocation.h"
#include "cli/Texts.h"
#include "cli/commands/Commands.h"
#include "models/Memory.h"

#include <QJsonArray>

#include <cstdio>

namespace {

// Every row of the tree, each before its children.
void collect(const Memory& memory, const QModelIndex& parent, QModelIndexList& rows)
{
    for (int row = 0; row < memory.rowCount(parent); ++row) {
        const QModelIndex index = memory.index(row, 0, parent);
        rows.append(index);
        collect(memory, index, rows);
    }
}

QJsonArray regions(const Memory& memory, const QModelIndexList& rows)
{
    QJsonArray list;
    for (const QModelIndex& row : rows) {
        QJsonObject region;
        for (int column = 0; column < Memory::columns.size(); ++column)
            region.insert(Memory::columns[column].toLower(),
                          QJsonValue::fromVariant(memory.data(row.siblingAtColumn(column))));
        list.append(region);
    }
    return list;
}

int memory(Invocation& invocation)
{
    RCXController* brick = invocation.brick();
    if (!brick)
        return invocation.finish();
    std::uint8_t map[RCXController::memMapLength];
    brick->readMemMap(map);
    if (invocation.session().linkFailed())
        return invocation.finish();
    Memory memory;
    memory.setupWithController(*brick);
    memory.loadData(map);
    QModelIndexList rows;
    collect(memory, QModelIndex(), rows);
    invocation.report().set("regions", regions(memory, rows));
    if (!invocation.report().json() && !invocation.report().quiet())
        std::fputs(qPrintable(memory.copyText(rows)), stdout);
    return invocation.finish();
}

} // namespace

const Subcommand memoryCommand = {
    "memory", "", QT_TRANSLATE_NOOP("Localizable", "Show the memory map: each region's size, first and last address."),
    0, 0, {}, memory};
