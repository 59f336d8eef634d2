// The memory outline and the variables table on their models: rows copy
// with the platform's copy shortcut, and pictures of both views.
#include "rcx/VirtualBrick.h"
#include "support/QtPrinters.h"

#include "models/Memory.h"
#include "models/Variables.h"
#include "views/MemoryView.h"
#include "views/VariableView.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace {

void savePicture(QWidget& view, const char* name)
{
    QDir().mkpath(QStringLiteral(INFRABRICK_PICTURES));
    view.grab().save(QStringLiteral(INFRABRICK_PICTURES "/%1.png").arg(QLatin1String(name)));
}

void selectRows(QAbstractItemView& view, std::initializer_list<QModelIndex> rows)
{
    view.selectionModel()->clearSelection();
    for (const QModelIndex& row : rows)
        view.selectionModel()->select(row, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

const QMimeData& clipboard()
{
    return *QApplication::clipboard()->mimeData();
}

// A map with two subroutines and two tasks in slot 1 and a datalog.
void loadExampleMap(Memory& memory)
{
    std::array<std::uint8_t, 188> map{};
    const int words[94] = {
        // subroutines: slot 1 has two, then all empty up to word 40
        0xCC00, 0xCC30, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48,
        0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48,
        0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48,
        0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48,
        0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48, 0xCC48,
        // tasks: slot 1 has two
        0xCC48, 0xCCA0, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4,
        0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4,
        0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4,
        0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4,
        0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4, 0xCCC4,
        // datalog: 0xCCC4 to 0xCE54, 60 bytes used; free memory to 0xE400
        0xCCC4, 0xCD00, 0xCE54, 0xE400};
    for (int word = 0; word < 94; ++word) {
        map[2 * word] = static_cast<std::uint8_t>(words[word] >> 8);
        map[2 * word + 1] = static_cast<std::uint8_t>(words[word]);
    }
    memory.loadData(map.data());
}

TEST(ModelViews, TheVariablesTableCopiesSelectedRowsWithTheCopyShortcut)
{
    VirtualBrick virtualBrick;
    RCXController& controller = virtualBrick.controller;
    controller.varName(1, 2) = "count";
    controller.varName(1, 3) = "limit";
    controller.varName(1, 4) = "speed";
    controller.writeVariable(2, 17);
    controller.writeVariable(3, -400);
    controller.writeVariable(4, 25);
    Variables variables;
    variables.loadValues(controller);
    VariableView view;
    view.setModel(&variables);
    view.resize(480, 420);
    EXPECT_FALSE(view.acceptDrops());
    EXPECT_EQ(view.dragDropMode(), QAbstractItemView::DragOnly);

    selectRows(view, {variables.index(2, 0), variables.index(1, 4)});
    QTest::keySequence(&view, QKeySequence::Copy);
    EXPECT_EQ(clipboard().formats(), QStringList({"text/tab-separated-values", "text/plain"}));
    EXPECT_EQ(clipboard().data("text/tab-separated-values"), "2\tcount\t17\n3\tlimit\t-400\n4\tspeed\t25\n5\t\t0\n");
    EXPECT_EQ(clipboard().text(), "2\tcount\t17\n3\tlimit\t-400\n4\tspeed\t25\n5\t\t0\n");

    view.resizeColumnsToContents();
    savePicture(view, "variables");
}

TEST(ModelViews, TheMemoryOutlineCopiesSelectedRowsInTheOrderShown)
{
    VirtualBrick virtualBrick;
    RCXController& controller = virtualBrick.controller;
    controller.progName(1) = "Robot";
    controller.taskName(1, 1) = "main";
    controller.taskName(1, 2) = "watch";
    controller.subName(1, 1) = "turn";
    Memory memory;
    memory.setupWithController(controller);
    loadExampleMap(memory);

    MemoryView view;
    view.setModel(&memory);
    view.resize(520, 460);
    EXPECT_FALSE(view.acceptDrops());
    const QModelIndex tasks = memory.index(1, 0);
    const QModelIndex slot1 = memory.index(0, 0, tasks);
    view.expand(tasks);
    view.expand(slot1);
    view.expand(memory.index(2, 0));

    selectRows(view, {memory.index(3, 0), memory.index(1, 0, slot1), slot1});
    view.copy();
    EXPECT_EQ(clipboard().data("text/tab-separated-values"),
        "Slot 1: Robot\t124\t52296\t52419\n"
        "Task 2: watch\t36\t52384\t52419\n"
        "Free memory\t5548\t52820\t58367\n");
    EXPECT_EQ(clipboard().text(), QString::fromUtf8(clipboard().data("text/tab-separated-values")));

    savePicture(view, "memory");
}

TEST(ModelViews, TheMemoryOutlinesColumnsFollowTheirWidestTextWithRoom)
{
    VirtualBrick virtualBrick;
    Memory memory;
    memory.setupWithController(virtualBrick.controller);
    MemoryView view;
    view.setModel(&memory);
    view.resize(520, 460);
    view.show();
    QApplication::processEvents();
    const int emptyStart = view.header()->sectionSize(2);

    loadExampleMap(memory);
    view.expandAll();
    QApplication::processEvents();
    EXPECT_GT(view.header()->sectionSize(2), emptyStart) << "wider for the addresses";
    for (int column = 1; column < memory.columnCount(); ++column) {
        int widest = 0;
        std::function<void(const QModelIndex&)> measure = [&](const QModelIndex& parent) {
            for (int row = 0; row < memory.rowCount(parent); ++row) {
                const QString text = memory.index(row, column, parent).data().toString();
                widest = std::max(widest, view.fontMetrics().horizontalAdvance(text));
                measure(memory.index(row, 0, parent));
            }
        };
        measure(QModelIndex());
        EXPECT_GE(view.header()->sectionSize(column), widest + MemoryView::cellRoom) << "column " << column;
        EXPECT_LE(view.header()->sectionSize(column), widest + 2 * MemoryView::cellRoom) << "column " << column;
    }
}

} // namespace
