#include "rcx/VirtualBrick.h"
#include "support/QtPrinters.h"

#include "models/Variables.h"

#include <QMimeData>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct VariablesTest : testing::Test {
    QModelIndex cell(int row, const char* column)
    {
        return variables.index(row, static_cast<int>(Variables::columns.indexOf(QLatin1String(column))));
    }
    QVariant value(int row, const char* column) { return cell(row, column).data(); }
    bool type(int row, const char* column, const QVariant& typed)
    {
        return variables.setData(cell(row, column), typed, Qt::EditRole);
    }
    QString copied(const QModelIndexList& rows)
    {
        const std::unique_ptr<QMimeData> data(variables.mimeData(rows));
        return QString::fromUtf8(data->data("text/plain"));
    }

    VirtualBrick virtualBrick;
    RCXController& controller = virtualBrick.controller;
    Variables variables;
};

TEST_F(VariablesTest, ShowsTwoVariablesToARowBeforeAnyRead)
{
    EXPECT_EQ(Variables::columns, QStringList({"No1", "Name1", "Value1", "No2", "Name2", "Value2"}));
    EXPECT_EQ(variables.rowCount(), 16);
    EXPECT_EQ(variables.columnCount(), 6);
    EXPECT_EQ(value(0, "No1"), 0);
    EXPECT_EQ(value(0, "No2"), 1);
    EXPECT_EQ(value(15, "No1"), 30);
    EXPECT_EQ(value(15, "No2"), 31);
    EXPECT_EQ(value(7, "Name2"), "");
    EXPECT_EQ(value(7, "Value1"), 0);
    EXPECT_EQ(value(7, "Value1").typeId(), QMetaType::Int) << "numbers are numbers";
}

TEST_F(VariablesTest, LoadingReadsAll32InOrder)
{
    controller.writeVariable(0, 5);
    controller.writeVariable(1, -3);
    controller.writeVariable(30, 32767);
    controller.writeVariable(31, -32768);
    virtualBrick.brick.clearHistory();

    variables.loadValues(controller);
    const std::vector<Command> heard = virtualBrick.commands();
    ASSERT_EQ(heard.size(), 32u);
    for (int variable = 0; variable < 32; ++variable)
        EXPECT_EQ(heard[variable], (ByteString{0x12, 0, static_cast<std::uint8_t>(variable)})) << variable;
    EXPECT_EQ(value(0, "Value1"), 5);
    EXPECT_EQ(value(0, "Value2"), -3);
    EXPECT_EQ(value(15, "Value1"), 32767);
    EXPECT_EQ(value(15, "Value2"), -32768);
    EXPECT_EQ(value(5, "Value1"), 0);
    EXPECT_EQ(virtualBrick.listener.timeouts + virtualBrick.listener.towerErrors, 0);
}

struct EditCase {
    const char* name;
    int row;
    const char* column;
    QVariant typed;
    int variable;
    std::int16_t stored;
    std::uint8_t lo, hi;

    friend void PrintTo(const EditCase& c, std::ostream* out) { *out << c.name; }
};

class VariableEdits : public VariablesTest, public testing::WithParamInterface<EditCase> {};

TEST_P(VariableEdits, WriteTheValueToTheBrickAtOnce)
{
    const EditCase& c = GetParam();
    variables.loadValues(controller);
    virtualBrick.brick.clearHistory();
    ASSERT_TRUE(type(c.row, c.column, c.typed));
    EXPECT_EQ(value(c.row, c.column), c.stored);
    EXPECT_EQ(virtualBrick.commands(),
        (std::vector<ByteString>{{0x14, static_cast<std::uint8_t>(c.variable), 2, c.lo, c.hi}}));
    EXPECT_EQ(virtualBrick.brick.snapshot().variables[c.variable], c.stored);
}

INSTANTIATE_TEST_SUITE_P(Typed, VariableEdits, testing::Values(
    EditCase{"Wraps", 3, "Value2", QStringLiteral("40000"), 7, -25536, 0x40, 0x9C},
    EditCase{"MinusOne", 3, "Value2", QStringLiteral("-1"), 7, -1, 0xFF, 0xFF},
    EditCase{"NotANumber", 0, "Value1", QStringLiteral("abc"), 0, 0, 0, 0},
    EditCase{"LeadingNumber", 15, "Value1", QStringLiteral(" 12 apples"), 30, 12, 12, 0},
    EditCase{"LastVariable", 15, "Value2", QStringLiteral("+300"), 31, 300, 0x2C, 0x01},
    EditCase{"ANumberNotText", 8, "Value1", QVariant(-300), 16, -300, 0xD4, 0xFE}),
    [](const testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

TEST_F(VariablesTest, OtherColumnsIgnoreEditsAndSendNothing)
{
    variables.loadValues(controller);
    virtualBrick.brick.clearHistory();
    for (const char* column : {"No1", "Name1", "No2", "Name2"}) {
        EXPECT_FALSE(type(2, column, QStringLiteral("9"))) << column;
        EXPECT_FALSE(variables.flags(cell(2, column)) & Qt::ItemIsEditable) << column;
    }
    EXPECT_TRUE(variables.flags(cell(2, "Value1")) & Qt::ItemIsEditable);
    EXPECT_TRUE(virtualBrick.commands().empty());
    EXPECT_EQ(value(2, "No1"), 4);
}

TEST_F(VariablesTest, AnEditBeforeAnyReadIsKeptButNotSent)
{
    EXPECT_TRUE(type(1, "Value1", QStringLiteral("77")));
    EXPECT_EQ(value(1, "Value1"), 77);
    EXPECT_TRUE(virtualBrick.commands().empty());
}

TEST_F(VariablesTest, NamesFollowTheCurrentSlotWhileValuesStay)
{
    controller.varName(1, 0) = "speed";
    controller.varName(2, 0) = "light";
    controller.writeVariable(0, 42);
    variables.loadValues(controller);
    EXPECT_EQ(value(0, "Name1"), "speed");
    controller.selectProgram(2);
    EXPECT_EQ(value(0, "Name1"), "light");
    EXPECT_EQ(value(0, "Value1"), 42);
}

TEST_F(VariablesTest, CopiesTwoLinesPerRowInTheGivenOrder)
{
    controller.varName(1, 0) = "speed";
    controller.varName(1, 31) = "100% %1 done";
    controller.writeVariable(0, 5);
    controller.writeVariable(1, -3);
    controller.writeVariable(31, 9);
    variables.loadValues(controller);
    EXPECT_EQ(copied({cell(0, "No1"), cell(15, "Value2"), cell(0, "Name2")}),
        "0\tspeed\t5\n"
        "1\t\t-3\n"
        "30\t\t0\n"
        "31\t100% %1 done\t9\n");
    const std::unique_ptr<QMimeData> data(variables.mimeData({cell(15, "No1"), cell(0, "No1")}));
    EXPECT_EQ(data->formats(), QStringList({"text/tab-separated-values", "text/plain"}));
    EXPECT_EQ(data->data("text/tab-separated-values"), "30\t\t0\n31\t100% %1 done\t9\n0\tspeed\t5\n1\t\t-3\n");
    EXPECT_EQ(data->data("text/plain"), data->data("text/tab-separated-values"));
}

struct ValueCase {
    const char* text;
    std::optional<std::int16_t> value;

    friend void PrintTo(const ValueCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }
};

class VariableValue : public testing::TestWithParam<ValueCase> {};

TEST_P(VariableValue, OfTheNumberATextBeginsWith)
{
    EXPECT_EQ(variableValueOf(QString::fromUtf8(GetParam().text)), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, VariableValue, testing::Values(
    ValueCase{"0", 0}, ValueCase{"32767", 32767}, ValueCase{"32768", -32768}, ValueCase{"40000", -25536},
    ValueCase{"65535", -1}, ValueCase{"65536", std::nullopt}, ValueCase{"-32768", -32768},
    ValueCase{"-32769", std::nullopt}, ValueCase{"99999999999", std::nullopt}, ValueCase{"3.7", 3},
    ValueCase{"  -12x", -12}, ValueCase{"abc", 0}, ValueCase{"", 0}, ValueCase{"-", 0}, ValueCase{"x12", 0}));

} // namespace
