// The drop box takes one program file to copy, outlined while a drag is over it.
#include "ViewTest.h"

#include "views/DropBox.h"

namespace {

std::unique_ptr<QMimeData> files(const QStringList& urls)
{
    auto data = std::make_unique<QMimeData>();
    data->setUrls(QUrl::fromStringList(urls));
    return data;
}

bool enters(QWidget& target, const QMimeData& data, Qt::DropActions allowed = Qt::CopyAction)
{
    QDragEnterEvent enter(QPoint(5, 5), allowed, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    return enter.isAccepted() && enter.dropAction() == Qt::CopyAction;
}

TEST(DropBox, TakesOneLowerCaseRcxFileThatMayBeCopied)
{
    const struct { const char* drag; QStringList urls; Qt::DropActions allowed; bool taken; } drags[] = {
        {"one program", {"file:///home/u/prog.rcx"}, Qt::CopyAction, true},
        {"copy or move", {"file:///home/u/prog.rcx"}, Qt::CopyAction | Qt::MoveAction, true},
        {"two programs", {"file:///home/u/a.rcx", "file:///home/u/b.rcx"}, Qt::CopyAction, false},
        {"capitals", {"file:///home/u/PROG.RCX"}, Qt::CopyAction, false}, {"a text file", {"file:///home/u/notes.txt"}, Qt::CopyAction, false},
        {"no extension", {"file:///home/u/rcx"}, Qt::CopyAction, false}, {"move only", {"file:///home/u/prog.rcx"}, Qt::MoveAction, false},
        {"no file", {}, Qt::CopyAction, false}, {"not a local file", {"https://example.org/prog.rcx"}, Qt::CopyAction, false},
    };
    for (const auto& each : drags) {
        DropBox box;
        EXPECT_EQ(enters(box, *files(each.urls), each.allowed), each.taken) << each.drag;
        EXPECT_EQ(box.isTarget(), each.taken) << each.drag;
    }
    DropBox box;
    QMimeData text;
    text.setText("/home/u/prog.rcx");
    EXPECT_FALSE(enters(box, text)) << "a path as text";
}

// A drop downloads its file once, the outline gone first since the download holds the window.
TEST(DropBox, ADropDownloadsItsFileWithTheOutlineGone)
{
    FakeFileActions controller;
    DropBox box;
    box.resize(160, 60);
    box.setController(&controller);
    bool outlinedDuringDownload = true;
    controller.onDownload = [&] { outlinedDuringDownload = box.isTarget(); };
    const QImage plain = box.grab().toImage();
    const auto data = files({"file:///home/u/my%20prog.rcx"});
    ASSERT_TRUE(enters(box, *data));
    EXPECT_NE(box.grab().toImage(), plain) << "outlined";
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&box, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(controller.downloads, QStringList{"/home/u/my prog.rcx"});
    EXPECT_FALSE(outlinedDuringDownload || box.isTarget());
    enters(box, *data);
    QDragLeaveEvent leave;
    QApplication::sendEvent(&box, &leave);
    EXPECT_FALSE(box.isTarget());
}

} // namespace
