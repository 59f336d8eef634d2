#include "FakeFileActions.h"
#include "Pictures.h"

#include "views/DropBox.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<QMimeData> files(const QStringList& urls)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> list;
    for (const QString& url : urls)
        list.append(QUrl(url));
    data->setUrls(list);
    return data;
}

struct DropCase {
    const char* name;
    QStringList urls;
    Qt::DropActions allowed;
    bool accepted;

    friend void PrintTo(const DropCase& c, std::ostream* out) { *out << c.name; }
};

class DropBoxAcceptance : public testing::TestWithParam<DropCase> {};

TEST_P(DropBoxAcceptance, OutlinesOnlyForOneLowerCaseRcxFileThatMayBeCopied)
{
    const DropCase& c = GetParam();
    DropBox box;
    const auto data = files(c.urls);
    QDragEnterEvent enter(QPoint(5, 5), c.allowed, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&box, &enter);
    EXPECT_EQ(enter.isAccepted(), c.accepted);
    EXPECT_EQ(box.isTarget(), c.accepted);
    if (c.accepted) {
        EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    }
}

INSTANTIATE_TEST_SUITE_P(Drags, DropBoxAcceptance, testing::Values(
    DropCase{"OneProgram", {"file:///home/u/prog.rcx"}, Qt::CopyAction, true},
    DropCase{"CopyOrMove", {"file:///home/u/prog.rcx"}, Qt::CopyAction | Qt::MoveAction, true},
    DropCase{"TwoPrograms", {"file:///home/u/a.rcx", "file:///home/u/b.rcx"}, Qt::CopyAction, false},
    DropCase{"Capitals", {"file:///home/u/PROG.RCX"}, Qt::CopyAction, false},
    DropCase{"MixedCase", {"file:///home/u/prog.Rcx"}, Qt::CopyAction, false},
    DropCase{"Text", {"file:///home/u/notes.txt"}, Qt::CopyAction, false},
    DropCase{"NoExtension", {"file:///home/u/rcx"}, Qt::CopyAction, false},
    DropCase{"MoveOnly", {"file:///home/u/prog.rcx"}, Qt::MoveAction, false},
    DropCase{"NotALocalFile", {"https://example.org/prog.rcx"}, Qt::CopyAction, false},
    DropCase{"NoFile", {}, Qt::CopyAction, false}),
    [](const testing::TestParamInfo<DropCase>& info) { return std::string(info.param.name); });

TEST(DropBox, TextWithoutFilesIsRefused)
{
    DropBox box;
    QMimeData data;
    data.setText(QStringLiteral("/home/u/prog.rcx"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&box, &enter);
    EXPECT_FALSE(enter.isAccepted());
}

struct DropBoxDrop : testing::Test {
    DropBoxDrop()
    {
        box.resize(120, 80);
        box.setController(&controller);
        controller.onDownload = [this] { targetDuringDownload = box.isTarget(); };
    }

    void enter(const QMimeData* data)
    {
        QDragEnterEvent event(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&box, &event);
    }
    bool drop(const QMimeData* data)
    {
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&box, &event);
        return event.isAccepted();
    }

    FakeFileActions controller;
    DropBox box;
    bool targetDuringDownload = true;
};

TEST_F(DropBoxDrop, DownloadsTheFileOnceWithTheOutlineRemovedFirst)
{
    const auto data = files({"file:///home/u/my%20prog.rcx"});
    enter(data.get());
    ASSERT_TRUE(box.isTarget());
    EXPECT_TRUE(drop(data.get()));
    EXPECT_EQ(controller.downloads, QStringList{"/home/u/my prog.rcx"});
    EXPECT_FALSE(targetDuringDownload);
    EXPECT_FALSE(box.isTarget());
}

TEST_F(DropBoxDrop, ARefusedDropDownloadsNothing)
{
    const auto data = files({"file:///home/u/a.rcx", "file:///home/u/b.rcx"});
    EXPECT_FALSE(drop(data.get()));
    EXPECT_TRUE(controller.downloads.isEmpty());
}

TEST_F(DropBoxDrop, LeavingRemovesTheOutline)
{
    const auto data = files({"file:///home/u/prog.rcx"});
    enter(data.get());
    ASSERT_TRUE(box.isTarget());
    QDragLeaveEvent leave;
    QApplication::sendEvent(&box, &leave);
    EXPECT_FALSE(box.isTarget());
    EXPECT_TRUE(controller.downloads.isEmpty());
}

TEST_F(DropBoxDrop, TheOutlineRunsAlongTheEdgesInTheSelectionColour)
{
    const QImage before = painted(box);
    EXPECT_EQ(before.pixelColor(0, 40), QColor(Qt::white));

    const auto data = files({"file:///home/u/prog.rcx"});
    enter(data.get());
    const QImage outlined = painted(box);
    const QColor highlight = box.palette().color(QPalette::Highlight);
    EXPECT_EQ(outlined.pixelColor(0, 40), highlight);
    EXPECT_EQ(outlined.pixelColor(1, 40), highlight);
    EXPECT_EQ(outlined.pixelColor(119, 40), highlight);
    EXPECT_EQ(outlined.pixelColor(60, 0), highlight);
    EXPECT_EQ(outlined.pixelColor(60, 79), highlight);
    EXPECT_EQ(outlined.pixelColor(2, 40), QColor(Qt::white));
    EXPECT_EQ(outlined.pixelColor(60, 40), QColor(Qt::white));
}

} // namespace
