#include "views/MemoryView.h"
#include "views/RowExport.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QStandardItemModel>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(LocalDropRefusal, WidgetsOfTheApplicationRefuseTheRowsWhileTheDragLasts)
{
    QLineEdit field;
    QMimeData rows;
    rows.setText(QStringLiteral("0\tx\t5\n"));
    QMimeData other;
    other.setText(QStringLiteral("typed"));

    auto enters = [&field](const QMimeData& data) {
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&field, &enter);
        return enter.isAccepted();
    };
    {
        LocalDropRefusal refusal(&rows);
        EXPECT_FALSE(enters(rows));
        EXPECT_TRUE(enters(other));
    }
    EXPECT_TRUE(enters(rows));
}

TEST(SelectedRows, ComeInTheOrderTheyAreShownWhateverTheOrderOfSelection)
{
    QStandardItemModel model;
    for (const char* group : {"A", "B"}) {
        auto* item = new QStandardItem(QString::fromLatin1(group));
        for (int child = 1; child <= 3; ++child)
            item->appendRow(new QStandardItem(QStringLiteral("%1%2").arg(QLatin1String(group)).arg(child)));
        model.appendRow(item);
    }
    MemoryView view;
    view.setModel(&model);
    auto select = [&](const QModelIndex& index) {
        view.selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    const QModelIndex a = model.index(0, 0), b = model.index(1, 0);
    select(model.index(0, 0, b));
    select(a);
    select(model.index(2, 0, a));
    QStringList shown;
    for (const QModelIndex& index : selectedRowsInOrder(view))
        shown.append(index.data().toString());
    EXPECT_EQ(shown, QStringList({"A", "A3", "B1"}));
}

} // namespace
