// The memory outline over the brick's memory map, and the variables table; both copy rows.
#include "support/VirtualBrick.h"
#include "support/QtPrinters.h"

#include "models/Memory.h"
#include "models/Variables.h"
#include "views/MemoryView.h"
#include "views/VariableView.h"

#include <QtTest>
#include <QtWidgets>
#include <gtest/gtest.h>

#include <array>
#include <numeric>

namespace {

struct MemoryTest : testing::Test {
    MemoryTest() { memory.setupWithController(virtualBrick.controller); }

    // Loads a map whose word k holds words[k], or `otherwise`, or 100·k + 1000, high byte first.
    void load(const std::map<int, int>& words = {}, int otherwise = -1)
    {
        std::array<std::uint8_t, 188> map{};
        for (int word = 0; word < 94; ++word) {
            const int value = words.contains(word) ? words.at(word) : otherwise >= 0 ? otherwise : 100 * word + 1000;
            map[2 * word] = static_cast<std::uint8_t>(value >> 8), map[2 * word + 1] = static_cast<std::uint8_t>(value);
        }
        memory.loadData(map.data());
    }
    // The row reached by a path of row numbers from the top.
    QModelIndex row(const std::vector<int>& path)
    {
        return std::accumulate(path.begin(), path.end(), QModelIndex(), [&](const QModelIndex& parent, int number) { return memory.index(number, 0, parent); });
    }
    QString copied(const QModelIndexList& rows) { return std::unique_ptr<QMimeData>(memory.mimeData(rows))->text(); }

    VirtualBrick virtualBrick;
    Memory memory;
};

// Each region reads its start and the start of what follows; views hear every level changed.
TEST_F(MemoryTest, EachRegionReadsItsPairOfWords)
{
    QSignalSpy changes(&memory, &QAbstractItemModel::dataChanged);
    load();
    const struct { std::vector<int> path; const char* title; int first, end, children; } regions[] = {
        {{0}, "Subroutines", 0, 40, 5}, {{0, 2}, "Slot 3", 16, 24, 8},     {{0, 1, 2}, "Sub 3", 10, 11, 0},
        {{0, 4, 7}, "Sub 8", 39, 40, 0}, {{1}, "Tasks", 40, 90, 5},         {{1, 3}, "Slot 4", 70, 80, 10},
        {{1, 0, 0}, "Task 1", 40, 41, 0}, {{1, 4, 9}, "Task 10", 89, 90, 0}, {{2}, "Datalog", 90, 92, 2},
        {{2, 0}, "Used", 90, 91, 0},      {{2, 1}, "Free", 91, 92, 0},       {{3}, "Free memory", 92, 93, 0},
    };
    // Whether a view was told that all four columns of the row changed.
    auto changed = [&](const QModelIndex& index) {
        return std::ranges::any_of(changes, [&](const QList<QVariant>& change) {
            const QItemSelectionRange range(change[0].value<QModelIndex>(), change[1].value<QModelIndex>());
            return range.contains(index) && range.contains(index.siblingAtColumn(3));
        });
    };
    EXPECT_EQ(memory.rowCount(), 4);
    for (const auto& region : regions) {
        const int start = 100 * region.first + 1000, end = 100 * region.end + 1000;
        EXPECT_EQ(copied({row(region.path)}), QString("%1\t%2\t%3\t%4\n").arg(region.title).arg(end - start).arg(start).arg(end - 1));
        EXPECT_EQ(memory.rowCount(row(region.path)), region.children) << region.title;
        EXPECT_TRUE(changed(row(region.path))) << region.title;
    }
    EXPECT_EQ(row({1, 2, 9}).parent(), row({1, 2}));
    EXPECT_FALSE(row({1}).parent().isValid());
}

TEST_F(MemoryTest, TheOutlineCopiesItsRowsInTheOrderShown)
{
    virtualBrick.controller.progName(1) = "Robot";
    virtualBrick.controller.taskName(1, 2) = "watch";
    MemoryView view;
    view.setModel(&memory);
    view.resize(520, 460);
    view.show();
    QApplication::processEvents();
    load({{40, 0xCC48}, {41, 0xCCA0}, {92, 0xCE54}, {93, 0xE400}}, 0xCCC4);
    view.expandAll();
    QApplication::processEvents();
    for (const QModelIndex& index : {row({3}), row({1, 0, 1}), row({1, 0})})
        view.selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), "Slot 1: Robot\t124\t52296\t52419\n"
                                                 "Task 2: watch\t36\t52384\t52419\n"
                                                 "Free memory\t5548\t52820\t58367\n");
}

// Each variable shows its number, its name in the current slot and its value.
TEST(VariablesTest, TheTableShowsAndCopiesTwoVariablesToARow)
{
    VirtualBrick virtualBrick;
    RCXController& controller = virtualBrick.controller;
    Variables variables;
    auto cell = [&](int row, const char* column) { return variables.index(row, Variables::columns.indexOf(column)); };
    controller.varName(1, 0) = "speed";
    controller.varName(2, 0) = "light";
    controller.varName(1, 31) = "100% %1 done";
    for (const auto& [variable, value] : {std::pair(0, 5), std::pair(1, -3), std::pair(30, 32767), std::pair(31, -32768)})
        controller.writeVariable(variable, value);
    variables.loadValues(controller);
    VariableView view;
    view.setModel(&variables);
    view.resize(480, 420);
    view.selectionModel()->select(cell(15, "Value2"), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.selectionModel()->select(cell(0, "Name2"), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keySequence(&view, QKeySequence::Copy);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    EXPECT_EQ(copied->text(), "0\tspeed\t5\n1\t\t-3\n30\t\t32767\n31\t100% %1 done\t-32768\n");
    EXPECT_EQ(copied->data("text/tab-separated-values"), copied->data("text/plain"));
    controller.selectProgram(2);
    EXPECT_EQ(cell(0, "Name1").data(), "light");
    EXPECT_EQ(cell(0, "Value1").data(), 5) << "values stay with another slot's names";
}

} // namespace
