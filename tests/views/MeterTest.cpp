// The level meters' tool tip, and the datalog meter's drag.
#include "ViewTest.h"

#include "views/DatalogFileName.h"
#include "views/DatalogLevel.h"
#include "views/LevelMeter.h"

namespace {

TEST(LevelMeter, ShowsTheReadingInItsToolTip)
{
    LevelMeter plain;
    plain.setLevel(3);
    EXPECT_EQ(plain.toolTip(), "3");
    // A hidden meter has no tool tip until a reading comes, even the same one.
    LevelMeter meter;
    meter.setLevel(0.5f);
    meter.setMeterVisible(false);
    meter.setToolTipFormat("%f");
    EXPECT_EQ(meter.toolTip(), "");
    meter.setLevel(0.5f);
    EXPECT_EQ(meter.toolTip(), "0.500000");
}

// A file named by the pattern, in the drag's own folder whatever separators it holds.
TEST(DatalogDrag, AFileManagerGetsAFileNamedByThePattern)
{
    FakeFileActions controller;
    DatalogLevel meter;
    meter.setController(&controller);
    meter.setFilename("../log %Y.txt");
    const std::unique_ptr<QMimeData> data(meter.dragData());
    ASSERT_EQ(data->urls().size(), 1);
    QFile file(data->urls()[0].toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), controller.datalog);
    EXPECT_TRUE(QRegularExpression("^\\.\\.-log \\d{4}\\.txt$").match(QFileInfo(file).fileName()).hasMatch());
    EXPECT_EQ(QFileInfo(controller.uploads[0]).absolutePath(), QFileInfo(file).absolutePath());
    EXPECT_NE(QFileInfo(file).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    EXPECT_EQ(data->data("text/plain"), controller.datalog);
    EXPECT_EQ(controller.uploads.size(), 1);
    controller.uploadWorks = false;
    const std::unique_ptr<QMimeData> failed(meter.dragData());
    EXPECT_TRUE(failed->data("text/plain").isEmpty() && failed->urls().isEmpty());
}

TEST(DatalogFileName, IsThePatternFilledAndMadeSafe)
{
    std::tm when{};
    when.tm_sec = 3, when.tm_min = 7, when.tm_hour = 9, when.tm_mday = 6, when.tm_mon = 11, when.tm_year = 2026 - 1900;
    const std::pair<QString, QString> names[] = {
        {"datalog %H-%M-%S.txt", "datalog 09-07-03.txt"}, {"%Y/%m/%d %H.txt", "2026-12-06 09.txt"},
        {"", "datalog 09-07-03.txt"},                     {".", "datalog 09-07-03.txt"},
        {"..", "datalog 09-07-03.txt"},                   {"Messwerte ä %M.txt", "Messwerte ä 07.txt"},
        {"100%% %S", "100% 03"},                          {QString("%Y").repeated(200), QString("2026").repeated(200)},
    };
    for (const auto& [pattern, name] : names)
        EXPECT_EQ(datalogFileName(pattern, when), name) << pattern.toStdString();
}

} // namespace
