#include "FakeFileActions.h"

#include "views/DatalogFileName.h"
#include "views/DatalogLevel.h"

#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const QRegularExpression defaultName(QStringLiteral("^datalog \\d\\d-\\d\\d-\\d\\d\\.txt$"));

struct DatalogDrag : testing::Test {
    DatalogDrag() { meter.setController(&controller); }

    std::unique_ptr<QMimeData> startDrag() { return std::unique_ptr<QMimeData>(meter.dragData()); }

    FakeFileActions controller;
    DatalogLevel meter;
};

TEST_F(DatalogDrag, OffersTheTwoTextTypesThenAFile)
{
    const auto data = startDrag();
    EXPECT_EQ(data->formats(),
        QStringList({"text/tab-separated-values", "text/plain", "text/uri-list"}));
    EXPECT_TRUE(controller.uploads.isEmpty()) << "nothing is uploaded before a target asks";
}

TEST_F(DatalogDrag, ATextTargetGetsTheDatalogTextAndTheTemporaryFileIsGone)
{
    const auto data = startDrag();
    EXPECT_EQ(data->data("text/plain"), controller.datalog);
    ASSERT_EQ(controller.uploads.size(), 1);
    const QFileInfo upload(controller.uploads.front());
    EXPECT_TRUE(defaultName.match(upload.fileName()).hasMatch()) << upload.fileName().toStdString();
    EXPECT_FALSE(upload.exists());

    EXPECT_EQ(data->data("text/tab-separated-values"), controller.datalog);
    EXPECT_EQ(data->text(), QString::fromUtf8(controller.datalog));
    EXPECT_EQ(controller.uploads.size(), 1) << "one upload per drag";
}

TEST_F(DatalogDrag, AFileManagerGetsAFileNamedByThePatternHoldingTheText)
{
    meter.setFilename(QStringLiteral("log %Y.txt"));
    const auto data = startDrag();
    const QList<QUrl> urls = data->urls();
    ASSERT_EQ(urls.size(), 1);
    ASSERT_TRUE(urls.front().isLocalFile());
    QFile file(urls.front().toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), controller.datalog);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^log \\d{4}\\.txt$"))
                    .match(QFileInfo(file).fileName()).hasMatch());

    EXPECT_EQ(data->data("text/plain"), controller.datalog);
    EXPECT_EQ(data->urls(), urls);
    EXPECT_EQ(controller.uploads.size(), 1);
}

TEST_F(DatalogDrag, EachDragUploadsAgain)
{
    startDrag()->data("text/plain");
    controller.datalog = "5\t7\n";
    EXPECT_EQ(startDrag()->data("text/plain"), controller.datalog);
    EXPECT_EQ(controller.uploads.size(), 2);
}

TEST_F(DatalogDrag, AFailedUploadDeliversNothing)
{
    controller.uploadWorks = false;
    const auto data = startDrag();
    EXPECT_TRUE(data->data("text/plain").isEmpty());
    EXPECT_TRUE(data->urls().isEmpty());
    EXPECT_EQ(controller.uploads.size(), 1);
}

TEST_F(DatalogDrag, APatternWithPathSeparatorsStaysInsideTheDragFolder)
{
    meter.setFilename(QStringLiteral("../../%H/evil"));
    const auto data = startDrag();
    const QList<QUrl> urls = data->urls();
    ASSERT_EQ(urls.size(), 1);
    const QFileInfo promised(urls.front().toLocalFile());
    EXPECT_TRUE(promised.fileName().startsWith(QStringLiteral("..-..-"))) << promised.fileName().toStdString();
    EXPECT_EQ(QFileInfo(controller.uploads.front()).absolutePath(), promised.absolutePath());
    EXPECT_NE(promised.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
}

TEST_F(DatalogDrag, AHiddenMeterStartsNoDrag)
{
    meter.resize(40, 80);
    QSignalSpy started(&meter, &DatalogLevel::dragStarted);
    meter.setMeterVisible(false);
    QTest::mousePress(&meter, Qt::LeftButton, Qt::NoModifier, QPoint(20, 40));
    QTest::mouseMove(&meter, QPoint(20, 10));
    QTest::mouseRelease(&meter, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    EXPECT_EQ(started.count(), 0);

    meter.setMeterVisible(true);
    QTest::mousePress(&meter, Qt::LeftButton, Qt::NoModifier, QPoint(20, 40));
    QTest::mouseMove(&meter, QPoint(20, 10));
    QTest::mouseRelease(&meter, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    EXPECT_EQ(started.count(), 1);
    EXPECT_TRUE(controller.uploads.isEmpty()) << "no target asked for the data";
}

struct NameCase {
    const char* label;
    const char* pattern;
    const char* name;

    friend void PrintTo(const NameCase& c, std::ostream* out) { *out << c.label; }
};

class DatalogName : public testing::TestWithParam<NameCase> {};

TEST_P(DatalogName, IsThePatternFormattedAndMadeSafe)
{
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 6;
    when.tm_hour = 9;
    when.tm_min = 7;
    when.tm_sec = 3;
    EXPECT_EQ(datalogFileName(QString::fromUtf8(GetParam().pattern), when), QString::fromUtf8(GetParam().name));
}

INSTANTIATE_TEST_SUITE_P(Patterns, DatalogName, testing::Values(
    NameCase{"Default", "datalog %H-%M-%S.txt", "datalog 09-07-03.txt"},
    NameCase{"SlashesInTheDate", "%Y/%m/%d %H.txt", "2026-12-06 09.txt"},
    NameCase{"AbsolutePath", "/etc/passwd", "-etc-passwd"},
    NameCase{"Empty", "", "datalog 09-07-03.txt"},
    NameCase{"Dot", ".", "datalog 09-07-03.txt"},
    NameCase{"DotDot", "..", "datalog 09-07-03.txt"},
    NameCase{"NonAscii", "Messwerte ä %M.txt", "Messwerte ä 07.txt"},
    NameCase{"Percent", "100%% %S", "100% 03"}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.label); });

TEST(DatalogNameLength, ALongResultIsNotCutShort)
{
    const QString pattern = QString(QStringLiteral("%Y")).repeated(200);
    EXPECT_EQ(datalogFileName(pattern, std::tm{}), QString(QStringLiteral("1900")).repeated(200));
}

} // namespace
