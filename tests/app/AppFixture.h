#pragma once

// The application against the virtual brick as a program of its own, reached
// through the serial port and the announced tower the way a user reaches it,
// with its settings in a folder of the test's own.
#include "SimBrick.h"

#include "app/FileProgressPanel.h"
#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "ports/NoPort.h"
#include "ports/SerialPort.h"
#include "ui_MainWindow.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

const QString programFile = QStringLiteral(INFRABRICK_SOURCE_DIR "/tests/rcx/fixtures/tasks.rcx");

// A USB tower that is listed but not plugged in: the port that fails.
class AbsentTower : public NoPort {
public:
    int findPorts() override { return 1; }
    std::string portNameAtIndex(int) override { return "USB IR Tower"; }
    std::string portPathAtIndex(int) override { return "usb"; }
};

inline void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

// Chooses an item of a menu as a user does.
inline void choose(QComboBox* menu, int item)
{
    menu->setCurrentIndex(item);
    emit menu->activated(item);
}

// Calls `seen` on each event of `type` that `watched` gets.
class EventWatch : public QObject {
public:
    EventWatch(QObject* watched, QEvent::Type type, std::function<void()> seen) : type(type), seen(std::move(seen))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == type)
            seen();
        return false;
    }

private:
    QEvent::Type type;
    std::function<void()> seen;
};

// The settings of the test's own and the virtual brick.
class BrickTest : public ::testing::Test {
protected:
    BrickTest() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path()); }
    void SetUp() override { ASSERT_TRUE(brick.started()); }

    QSettings settings() { return QSettings("Infrabrick", "Infrabrick"); }
    void save(const QVariantMap& values)
    {
        for (QSettings store = settings(); const auto& [key, value] : values.asKeyValueRange())
            store.setValue(key, value);
    }
    // The settings of a first OK on the announced brick, or on `path`.
    void savePort(const QString& path = {})
    {
        save({{"Port Type", "Serial"}, {"Port Name", brick.name}, {"Port Path", path.isEmpty() ? brick.towerPath() : path},
              {"Battery Check Time", 100}, {"Input Check Time", 10}, {"Datalog Check Time", 20},
              {"Battery Full Level", 9.6}, {"Battery Empty Level", 6.6}});
    }

    QTemporaryDir folder;
    SimBrick brick;
};

// The window and its controller before their start.
class StartTest : public BrickTest {
protected:
    // Starts the application on this machine's serial lines, which list the
    // announced brick, and an absent USB tower; the ticks are given by hand.
    void launch()
    {
        controller = std::make_unique<LegoController>(
            window, std::make_unique<AllPorts>(std::make_unique<SerialPort>(), std::make_unique<AbsentTower>()));
        window.show();
        controller->applicationDidFinishLaunching();
        controller->timer().stop();
    }
    void launchRefreshed()
    {
        savePort();
        launch();
        ticks(3);
        brick.commands();
    }
    void ticks(int count)
    {
        while (count-- > 0)
            controller->doTime();
    }
    Ui::LocalizableMainWindow& ui() { return window.controls(); }
    FileProgressPanel& progress() { return controller->fileProgressPanel(); }
    QString progressText() { return progress().controls().fileProgressText->text(); }
    // The code of task 0 of a slot as the brick holds it; empty when none.
    QString taskCode(int slot) { return brick.state()["programs"][slot - 1]["tasks"]["0"].toString(); }

    MainWindow window;
    std::unique_ptr<LegoController> controller;
};

// The application started with a saved port, after its first refresh.
class ControllerTest : public StartTest {
protected:
    void SetUp() override
    {
        StartTest::SetUp();
        launchRefreshed();
    }
};
