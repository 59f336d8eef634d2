#include "rcx/VirtualBrick.h"
#include "support/QtPrinters.h"

#include "models/Memory.h"

#include <QMimeData>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Map = std::array<std::uint8_t, 188>;

void setWord(Map& map, int word, int value)
{
    map[2 * word] = static_cast<std::uint8_t>(value >> 8);
    map[2 * word + 1] = static_cast<std::uint8_t>(value);
}

struct MemoryTest : testing::Test {
    MemoryTest() { memory.setupWithController(controller); }

    // The row reached by a path of row numbers from the top.
    QModelIndex row(const std::vector<int>& path, int column = 0)
    {
        QModelIndex index;
        for (int number : path)
            index = memory.index(number, 0, index);
        return index.sibling(index.row(), column);
    }
    QVariant cell(const std::vector<int>& path, const char* column)
    {
        return row(path, static_cast<int>(Memory::columns.indexOf(QLatin1String(column)))).data();
    }
    QString copied(const QModelIndexList& rows)
    {
        const std::unique_ptr<QMimeData> data(memory.mimeData(rows));
        return QString::fromUtf8(data->data("text/plain"));
    }

    VirtualBrick virtualBrick;
    RCXController& controller = virtualBrick.controller;
    Memory memory;
    Map map{};
};

int countRows(const QAbstractItemModel& model, const QModelIndex& parent = QModelIndex())
{
    int rows = 0;
    for (int row = 0; row < model.rowCount(parent); ++row)
        rows += 1 + countRows(model, model.index(row, 0, parent));
    return rows;
}

TEST(MemoryBeforeSetup, HasNoRowsAndTakesData)
{
    Memory memory;
    EXPECT_EQ(memory.rowCount(), 0);
    Map map{};
    setWord(map, 0, 0x1234);
    memory.loadData(map.data());
    EXPECT_EQ(memory.rowCount(), 0);
    EXPECT_EQ(memory.columnCount(), 4);
}

TEST_F(MemoryTest, HasTheColumnsAnd106Rows)
{
    EXPECT_EQ(Memory::columns, QStringList({"Region", "Size", "Start", "End"}));
    EXPECT_EQ(countRows(memory), 106);
    EXPECT_EQ(memory.rowCount(), 4);
    EXPECT_EQ(memory.rowCount(row({0})), 5);
    EXPECT_EQ(memory.rowCount(row({0, 4})), 8);
    EXPECT_EQ(memory.rowCount(row({1})), 5);
    EXPECT_EQ(memory.rowCount(row({1, 0})), 10);
    EXPECT_EQ(memory.rowCount(row({2})), 2);
    EXPECT_EQ(memory.rowCount(row({3})), 0);
    EXPECT_EQ(memory.rowCount(row({1, 0, 9})), 0);
}

TEST_F(MemoryTest, TitlesFollowTheTree)
{
    EXPECT_EQ(cell({0}, "Region"), "Subroutines");
    EXPECT_EQ(cell({0, 0}, "Region"), "Slot 1");
    EXPECT_EQ(cell({0, 4, 7}, "Region"), "Sub 8");
    EXPECT_EQ(cell({1}, "Region"), "Tasks");
    EXPECT_EQ(cell({1, 2}, "Region"), "Slot 3");
    EXPECT_EQ(cell({1, 2, 9}, "Region"), "Task 10");
    EXPECT_EQ(cell({2}, "Region"), "Datalog");
    EXPECT_EQ(cell({2, 0}, "Region"), "Used");
    EXPECT_EQ(cell({2, 1}, "Region"), "Free");
    EXPECT_EQ(cell({3}, "Region"), "Free memory");
    EXPECT_EQ(row({1, 2, 9}).parent(), row({1, 2}));
    EXPECT_EQ(row({1, 2}).parent(), row({1}));
    EXPECT_FALSE(row({1}).parent().isValid());
}

TEST_F(MemoryTest, WithoutAMapEveryRowIsEmpty)
{
    EXPECT_EQ(cell({0}, "Size"), 0);
    EXPECT_EQ(cell({0}, "Start"), "-");
    EXPECT_EQ(cell({1, 4, 9}, "End"), "-");
    EXPECT_EQ(cell({3}, "Size"), 0);
}

// Word k holds 100·k + 1000, so every region reads its pair of words.
struct ReferenceCase {
    const char* name;
    std::vector<int> path;
    int firstWord, endWord;

    friend void PrintTo(const ReferenceCase& c, std::ostream* out) { *out << c.name; }
};

class MemoryReferences : public MemoryTest, public testing::WithParamInterface<ReferenceCase> {};

TEST_P(MemoryReferences, ReadTheirPairOfWords)
{
    for (int word = 0; word < 94; ++word)
        setWord(map, word, 100 * word + 1000);
    memory.loadData(map.data());
    const ReferenceCase& c = GetParam();
    const int start = 100 * c.firstWord + 1000, end = 100 * c.endWord + 1000;
    EXPECT_EQ(cell(c.path, "Size"), end - start);
    EXPECT_EQ(cell(c.path, "Start"), start);
    EXPECT_EQ(cell(c.path, "End"), end - 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, MemoryReferences, testing::Values(
    ReferenceCase{"Subroutines", {0}, 0, 40},
    ReferenceCase{"SubroutinesOfSlot1", {0, 0}, 0, 8},
    ReferenceCase{"SubroutinesOfSlot3", {0, 2}, 16, 24},
    ReferenceCase{"Sub1OfSlot1", {0, 0, 0}, 0, 1},
    ReferenceCase{"Sub3OfSlot2", {0, 1, 2}, 10, 11},
    ReferenceCase{"Sub8OfSlot5", {0, 4, 7}, 39, 40},
    ReferenceCase{"Tasks", {1}, 40, 90},
    ReferenceCase{"TasksOfSlot1", {1, 0}, 40, 50},
    ReferenceCase{"TasksOfSlot4", {1, 3}, 70, 80},
    ReferenceCase{"Task1OfSlot1", {1, 0, 0}, 40, 41},
    ReferenceCase{"Task4OfSlot5", {1, 4, 3}, 83, 84},
    ReferenceCase{"Task10OfSlot5", {1, 4, 9}, 89, 90},
    ReferenceCase{"Datalog", {2}, 90, 92},
    ReferenceCase{"DatalogUsed", {2, 0}, 90, 91},
    ReferenceCase{"DatalogFree", {2, 1}, 91, 92},
    ReferenceCase{"FreeMemory", {3}, 92, 93}),
    [](const testing::TestParamInfo<ReferenceCase>& info) { return std::string(info.param.name); });

TEST_F(MemoryTest, WordsAreUnsignedAndHighByteFirst)
{
    setWord(map, 0, 0x1234);
    setWord(map, 1, 0x2000);
    setWord(map, 92, 0x1000);
    setWord(map, 93, 0xFFFE);
    memory.loadData(map.data());
    EXPECT_EQ(cell({0, 0, 0}, "Start"), 4660);
    EXPECT_EQ(cell({3}, "End"), 65533);
    EXPECT_EQ(cell({3}, "Size"), 65534 - 4096);
    EXPECT_EQ(cell({3}, "Size").typeId(), QMetaType::Int) << "numbers are numbers";
}

TEST_F(MemoryTest, WordsOutOfOrderGiveANegativeSize)
{
    setWord(map, 92, 500);
    setWord(map, 93, 300);
    memory.loadData(map.data());
    EXPECT_EQ(cell({3}, "Size"), -200);
    EXPECT_EQ(cell({3}, "Start"), 500);
    EXPECT_EQ(cell({3}, "End"), 299);
}

TEST_F(MemoryTest, AnEmptyTaskShowsDashesAndCopiesAsOneLine)
{
    setWord(map, 40, 0xCC00);
    setWord(map, 41, 0xCC00);
    setWord(map, 42, 0xCC40);
    memory.loadData(map.data());
    EXPECT_EQ(cell({1, 0, 0}, "Size"), 0);
    EXPECT_EQ(cell({1, 0, 0}, "Start"), "-");
    EXPECT_EQ(cell({1, 0, 0}, "End"), "-");
    EXPECT_EQ(copied({row({1, 0, 0})}), "Task 1\t0\t-\t-\n");
    EXPECT_EQ(copied({row({1, 0, 1})}), "Task 2\t64\t52224\t52287\n");
}

TEST_F(MemoryTest, TheDatalogRowsShowItsUsedAndFreeParts)
{
    setWord(map, 90, 100);
    setWord(map, 91, 130);
    setWord(map, 92, 400);
    memory.loadData(map.data());
    EXPECT_EQ(cell({2}, "Size"), 300);
    EXPECT_EQ(cell({2}, "Start"), 100);
    EXPECT_EQ(cell({2}, "End"), 399);
    EXPECT_EQ(cell({2, 0}, "Size"), 30);
    EXPECT_EQ(cell({2, 0}, "Start"), 100);
    EXPECT_EQ(cell({2, 0}, "End"), 129);
    EXPECT_EQ(cell({2, 1}, "Size"), 270);
    EXPECT_EQ(cell({2, 1}, "Start"), 130);
    EXPECT_EQ(cell({2, 1}, "End"), 399);
}

TEST_F(MemoryTest, ANamedSlotShowsItsNameUntilTheProgramIsDeleted)
{
    QSignalSpy resets(&memory, &QAbstractItemModel::modelReset);
    controller.selectProgram(2);
    controller.progName(2) = "Robot";
    controller.taskName(2, 1) = "main";
    controller.subName(2, 3) = "turn";
    EXPECT_EQ(cell({0, 1}, "Region"), "Slot 2: Robot");
    EXPECT_EQ(cell({1, 1}, "Region"), "Slot 2: Robot");
    EXPECT_EQ(cell({1, 1, 0}, "Region"), "Task 1: main");
    EXPECT_EQ(cell({0, 1, 2}, "Region"), "Sub 3: turn");
    EXPECT_EQ(copied({row({1, 1, 0})}), "Task 1: main\t0\t-\t-\n");

    controller.deleteCurrentProgram();
    EXPECT_EQ(cell({0, 1}, "Region"), "Slot 2");
    EXPECT_EQ(cell({1, 1}, "Region"), "Slot 2");
    EXPECT_EQ(cell({1, 1, 0}, "Region"), "Task 1: main") << "the deletion keeps the task names";
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(virtualBrick.listener.timeouts + virtualBrick.listener.towerErrors, 0);
}

TEST_F(MemoryTest, TheBricksOwnMapArrivesThroughTheController)
{
    Map read{};
    controller.readMemMap(read.data());
    memory.loadData(read.data());
    const auto words = virtualBrick.brick.snapshot().memoryMap();
    EXPECT_EQ(cell({3}, "Size"), words[93] - words[92]);
    EXPECT_EQ(cell({2}, "Size"), words[92] - words[90]);
    EXPECT_EQ(virtualBrick.listener.timeouts + virtualBrick.listener.towerErrors, 0);
}

TEST_F(MemoryTest, CopiesTheGivenRowsOnlyInTheirOrder)
{
    setWord(map, 0, 1000);
    setWord(map, 40, 1500);
    setWord(map, 92, 2000);
    setWord(map, 93, 6000);
    memory.loadData(map.data());
    controller.progName(2) = "Robot";
    EXPECT_EQ(copied({row({3}), row({0}, 2), row({0}), row({0, 1})}),
        "Free memory\t4000\t2000\t5999\n"
        "Subroutines\t500\t1000\t1499\n"
        "Slot 2: Robot\t0\t-\t-\n");

    const std::unique_ptr<QMimeData> data(memory.mimeData({row({0}), row({3})}));
    EXPECT_EQ(data->formats(), QStringList({"text/tab-separated-values", "text/plain"}));
    EXPECT_EQ(data->data("text/tab-separated-values"),
        "Subroutines\t500\t1000\t1499\nFree memory\t4000\t2000\t5999\n");
    EXPECT_EQ(data->data("text/plain"), data->data("text/tab-separated-values"));
}

TEST_F(MemoryTest, LoadingTellsTheViewThatEveryCellChanged)
{
    QSignalSpy changes(&memory, &QAbstractItemModel::dataChanged);
    memory.loadData(map.data());
    auto changed = [&](const QModelIndex& index) {
        for (const QList<QVariant>& change : changes) {
            const auto first = change[0].value<QModelIndex>(), last = change[1].value<QModelIndex>();
            if (first.parent() == index.parent() && first.row() <= index.row() && index.row() <= last.row()
                && first.column() == 0 && last.column() == 3)
                return true;
        }
        return false;
    };
    int unchanged = 0;
    std::function<void(const QModelIndex&)> visit = [&](const QModelIndex& parent) {
        for (int row = 0; row < memory.rowCount(parent); ++row) {
            const QModelIndex index = memory.index(row, 0, parent);
            unchanged += !changed(index);
            visit(index);
        }
    };
    visit(QModelIndex());
    EXPECT_EQ(unchanged, 0);
}

TEST_F(MemoryTest, ASecondSetupBuildsTheTreeAgain)
{
    QSignalSpy resets(&memory, &QAbstractItemModel::modelReset);
    memory.setupWithController(controller);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(countRows(memory), 106);
}

} // namespace
