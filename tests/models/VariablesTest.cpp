// The variables table: two variables to a row, values read from and typed
// into the brick, and the view that copies its rows with the copy shortcut.
#include "rcx/VirtualBrick.h"
#include "support/QtPrinters.h"

#include "models/Variables.h"
#include "views/VariableView.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct VariablesTest : testing::Test {
    QModelIndex cell(int row, const char* column) { return variables.index(row, Variables::columns.indexOf(column)); }

    VirtualBrick virtualBrick;
    RCXController& controller = virtualBrick.controller;
    Variables variables;
};

// Each variable shows its number, its name in the current slot and its value
// in its row; the view copies the selected rows, two lines each, with the
// copy shortcut.
TEST_F(VariablesTest, TheTableShowsAndCopiesTwoVariablesToARow)
{
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

// The value of a typed text is the number it begins with, as a 16-bit
// variable holds it; none when no 16-bit variable can hold it.
TEST(VariableValue, IsTheNumberATextBeginsWith)
{
    const std::pair<const char*, std::optional<std::int16_t>> texts[] = {
        {"0", 0},           {"32767", 32767}, {"32768", -32768}, {"65535", -1},       {"65536", {}},
        {"-32768", -32768}, {"-32769", {}},   {"3.7", 3},        {"99999999999", {}}, {"  -12x", -12},
        {"abc", 0},         {"", 0},          {"-", 0},          {"x12", 0},
    };
    for (const auto& [text, value] : texts)
        EXPECT_EQ(variableValueOf(text), value) << '"' << text << '"';
}

} // namespace
