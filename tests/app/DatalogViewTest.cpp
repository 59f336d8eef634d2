// The datalog window after an upload, and the sensors' history as the polls fill it.
#include "support/AppFixture.h"
#include "WindowTest.h"

#include "views/DatalogChart.h"
#include "views/SensorHistoryView.h"

#include <QJsonArray>

namespace {

using Series = std::map<QString, QList<QPointF>>;

class DatalogViewTest : public ControllerTest {
protected:
    Series shownSeries()
    {
        Series shown;
        for (const QLineSeries* series : view().chart().sourceSeries())
            shown[series->name()] = series->points();
        return shown;
    }
    DatalogWindow& view() { return controller->datalogWindow(); }
};

// Each series is named as the text export names its source.
TEST_F(DatalogViewTest, EverySourceIsASeriesAgainstItsEntryNumbers)
{
    controller->controller().currentVarName(3) = "speed";
    controller->controller().setDataLog(10, *controller);
    for (const auto& [type, value] : {std::pair(0x41, 40), {0x03, 120}, {0x20, 30}, {0x41, -5}, {0x80, 100}, {0x62, 7}, {0x03, 60}})
        ASSERT_EQ(brick.control(QString("datalog add %1 %2").arg(type).arg(value)), "ok");
    named<QAction>(window, "actionShowDatalog")->trigger();
    ASSERT_TRUE(view().isVisible());
    EXPECT_EQ(shownSeries(), Series({{"Variable 3: speed", {{2, 120}, {7, 60}}}, {"Timer 0", {{3, 30}}},
                                     {"Sensor 2", {{1, 40}, {4, -5}}}, {"Unknown 3,2", {{6, 7}}}, {"Watch", {{5, 100}}}}));
    EXPECT_EQ(view().chart().sourceSeries().first()->name(), "Variable 3: speed");

    controller->uploadFile(folder.filePath("saved.txt"));
    ASSERT_TRUE(view().exportTo(folder.filePath("exported.txt"), DatalogWindow::text));
    EXPECT_EQ(contents(folder.filePath("exported.txt")), contents(folder.filePath("saved.txt")));
    ASSERT_TRUE(view().exportTo(folder.filePath("datalog.png"), DatalogWindow::png));
    EXPECT_EQ(QImage(folder.filePath("datalog.png")).size(), view().chart().size() * view().chart().devicePixelRatio());
    QApplication::processEvents(); // the window is laid out
    ASSERT_TRUE(view().exportTo(folder.filePath("datalog.svg"), DatalogWindow::svg));
    EXPECT_TRUE(contents(folder.filePath("datalog.svg")).contains("Variable 3: speed"));
    for (const DatalogWindow::Format format : {DatalogWindow::png, DatalogWindow::svg, DatalogWindow::text})
        EXPECT_FALSE(view().exportTo(folder.filePath("no folder/datalog"), format)) << format;
}

// A program run from the window shows on the polls; a double click shows its datalog.
TEST_F(DatalogViewTest, ARunningProgramsEffectsShowInTheWindow)
{
    controller->downloadFile(write("log.nqc", "int count;\ntask main() {\n  On(OUT_A);\n"
                                              "  CreateDatalog(30); SetSensor(SENSOR_1, SENSOR_LIGHT); ClearTimer(0);\n"
                                              "  for (count = 0; count < 10; count++) {\n"
                                              "    AddToDatalog(count); AddToDatalog(SENSOR_1); AddToDatalog(Timer(0)); Wait(10);\n  }\n"
                                              "  while (true) Wait(100);\n}\n"));
    named<QTabWidget>(window, "theTabs")->setCurrentIndex(1); // Run
    click(named<QPushButton>(window, "runStopButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return brick.state()["outputs"][0]["state"] == "on"; }));
    named<QTabWidget>(window, "theTabs")->setCurrentIndex(0);
    AnimatedButton* outputA = named<AnimatedButton>(window, "outputAStopGoButton");
    EXPECT_TRUE(outputA->isChecked() && !named<AnimatedButton>(window, "outputBStopGoButton")->isChecked());
    const int frame = outputA->cell().frame();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks(1), outputA->cell().frame() != frame; })) << "its gears turn";

    auto held = [this] { return brick.state()["datalog"].toObject()["entries"].toArray(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return held().size() == 31; }));
    named<QTabWidget>(window, "theTabs")->setCurrentIndex(2); // the memory map gives the datalog's size
    named<QTabWidget>(window, "theTabs")->setCurrentIndex(1);
    ASSERT_TRUE(named<DatalogLevel>(window, "datalog")->isMeterVisible());
    QTest::mouseDClick(named<DatalogLevel>(window, "datalog"), Qt::LeftButton);
    ASSERT_TRUE(view().isVisible());
    EXPECT_EQ(view().table().model()->rowCount(), 30) << "the program's datalog";
}

// The polls fill the history, a temperature kept in the brick's tenths of a degree.
TEST_F(DatalogViewTest, SensorHistoryFollowsThePolls)
{
    const SensorHistory& history = named<SensorHistoryView>(window, "sensor1History")->history();
    QLineEdit* shown = named<QLineEdit>(window, "sensor1Value");
    auto poll = [&](int raw) {
        EXPECT_EQ(brick.control(QString("sensor 1 raw %1").arg(raw)), "ok");
        ticks(10);
        return QString("%1 readings, the last %2, shown %3")
            .arg(history.readings().size()).arg(history.isEmpty() ? -1 : history.readings().back().value).arg(shown->text());
    };
    choose(named<QComboBox>(window, "sensor1TypeButton"), 3); // light, in percent: 146 - raw / 7, at most 100
    EXPECT_EQ(poll(500), "1 readings, the last 75, shown 75");
    EXPECT_EQ(poll(300), "2 readings, the last 100, shown 100");
    choose(named<QComboBox>(window, "sensor1TypeButton"), 2);
    EXPECT_EQ(poll(400), "1 readings, the last 481, shown 48.1 °C");
    choose(named<QComboBox>(window, "sensor1ModeButton"), 6);
    ticks(10);
    EXPECT_EQ(shown->text(), "118.5 °F");
    choose(named<QComboBox>(window, "sensor1TypeButton"), 0); // none
    ticks(10);
    EXPECT_TRUE(history.isEmpty() && named<SensorHistoryView>(window, "sensor2History")->history().isEmpty());
}

} // namespace
