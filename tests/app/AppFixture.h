#pragma once

// The application against the virtual brick as a program of its own, reached
// through the serial port and the announced tower the way a user reaches it,
// with its settings in a folder of the test's own.
#include "app/FileProgressPanel.h"
#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "app/TimeoutPanel.h"
#include "models/Variables.h"
#include "ports/NoPort.h"
#include "ports/SerialPort.h"
#include "support/QtPrinters.h"
#include "support/SimProcess.h"
#include "ui_MainWindow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

const QString programFile = QStringLiteral(INFRABRICK_SOURCE_DIR "/tests/rcx/fixtures/tasks.rcx");

// The virtual brick as the application finds it: infrabrick-sim started as a
// child process, announced as a tower in a runtime folder of its own (set as
// XDG_RUNTIME_DIR), set up and looked at through its control language.
class SimBrick {
public:
    SimBrick()
    {
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        process = std::make_unique<SimProcess>(INFRABRICK_SIM, std::vector<std::string>{"--announce", name.toStdString()});
    }

    const QString name = "Virtual RCX";
    // The announced link the application opens, and the terminal it leads to.
    QString towerPath() const { return runtime.filePath("infrabrick/towers/" + name); }
    QString path() const { return QString::fromStdString(process->path()); }
    bool started() const { return path().startsWith("/dev/"); }

    // Runs one control command; its answer line ("ok", JSON or an error).
    QString control(const QString& command) { return QString::fromStdString(process->control(command.toStdString())); }
    // The commands heard since the last call, in hex ("21 81") with the
    // toggle bit cleared; the brick forgets them.
    QStringList commands()
    {
        const QJsonArray history = parsed("history").array();
        EXPECT_EQ(control("history clear"), "ok");
        QStringList heard;
        for (const QJsonValue& entry : history) {
            const int opcode = entry.toString().left(2).toInt(nullptr, 16) & ~0x08;
            heard.append(QString::number(opcode, 16).rightJustified(2, '0').toUpper() + entry.toString().mid(2));
        }
        return heard;
    }
    QJsonObject state() { return parsed("state").object(); }

private:
    // The answer as JSON; a failure when it is none, so that a brick that
    // stopped answering never passes for one that heard nothing.
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
