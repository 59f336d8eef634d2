#pragma once

// The application against infrabrick-sim as a process, reached through the
// announced tower as a user reaches it, with settings of the test's own.
#include "app/FileProgressPanel.h"
#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "app/TimeoutPanel.h"
#include "models/Variables.h"
#include "ports/NoPort.h"
#include "ports/SerialPort.h"
#include "protocol/Opcodes.h"
#include "support/Controls.h"
#include "support/QtPrinters.h"
#include "support/SimProcess.h"
#include "views/AnimatedButton.h"
#include "views/DatalogLevel.h"
#include "views/DropBox.h"
#include "views/LevelMeter.h"
#include "views/SensorHistoryView.h"
#include "views/VariableView.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

const QString programFile = QStringLiteral(INFRABRICK_SOURCE_DIR "/tests/rcx/fixtures/tasks.rcx");

// infrabrick-sim announced in a runtime folder of its own (XDG_RUNTIME_DIR),
// set up and looked at through its control language.
class SimBrick {
public:
    SimBrick()
    {
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        process = std::make_unique<SimProcess>(INFRABRICK_SIM, std::vector<std::string>{"--announce", name.toStdString()});
    }

    const QString name = "Virtual RCX";
    QString towerPath() const { return runtime.filePath("infrabrick/towers/" + name); }
    QString path() const { return QString::fromStdString(process->path()); }
    QString control(const QString& command) { return QString::fromStdString(process->control(command.toStdString())); }
    // The commands heard since the last call, in hex ("21 81") with the
    // toggle bit cleared; the brick forgets them.
    QStringList commands()
    {
        const QJsonArray history = parsed("history").array();
        EXPECT_EQ(control("history clear"), "ok");
        QStringList heard;
        for (const QJsonValue& entry : history) {
            const int opcode = withoutToggle(entry.toString().left(2).toInt(nullptr, 16));
            heard.append(QString::number(opcode, 16).rightJustified(2, '0').toUpper() + entry.toString().mid(2));
        }
        return heard;
    }
    QJsonObject state() { return parsed("state").object(); }

private:
    // A brick that stopped answering must not pass for one that heard nothing.
    QJsonDocument parsed(const QString& command)
    {
        const QString answer = control(command);
        const QJsonDocument document = QJsonDocument::fromJson(answer.toUtf8());
        if (document.isNull())
            ADD_FAILURE() << command.toStdString() << ": " << answer.toStdString();
        return document;
    }

    QTemporaryDir runtime;
    std::unique_ptr<SimProcess> process;
};

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
    void SetUp() override { ASSERT_TRUE(brick.path().startsWith("/dev/")); }

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
    // On this machine's serial lines and an absent USB tower; ticks by hand.
    void launch()
    {
        controller = std::make_unique<LegoController>(
            window, std::make_unique<AllPorts>(std::make_unique<SerialPort>(), std::make_unique<AbsentTower>()));
        window.show();
        controller->applicationDidFinishLaunching();
        controller->timer().stop();
    }
    void ticks(int count)
    {
        while (count-- > 0)
            controller->doTime();
    }
    FileProgressPanel& progress() { return controller->fileProgressPanel(); }
    QString progressText() { return named<QLabel>(progress(), "fileProgressText")->text(); }
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
        savePort();
        launch();
        ticks(3);
        brick.commands();
    }
};
