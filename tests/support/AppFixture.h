#pragma once

// The application against infrabrick-sim as a process, reached through the
// announced tower as a user reaches it, with settings of the test's own.
#include "app/FileProgressPanel.h"
#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "ports/NoPort.h"
#include "support/Controls.h"
#include "support/QtPrinters.h"
#include "support/SimProcess.h"

#include <QEvent>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

class QAbstractButton;
class QComboBox;
class QMimeData;

// A compiled program of several tasks.
extern const QString programFile;
// The NQC example programs of the repository.
extern const QString examplesFolder;

// infrabrick-sim announced in a runtime folder of its own (XDG_RUNTIME_DIR),
// set up and looked at through its control language.
class SimBrick {
public:
    SimBrick();

    const QString name = "Virtual RCX";
    QString towerPath() const { return runtime.filePath("infrabrick/towers/" + name); }
    QString path() const { return QString::fromStdString(process->path()); }
    QString control(const QString& command) { return QString::fromStdString(process->control(command.toStdString())); }
    // The commands heard since the last call, in hex ("21 81") with the
    // toggle bit cleared; the brick forgets them.
    QStringList commands();
    QJsonObject state() { return parsed("state").object(); }

private:
    QJsonDocument parsed(const QString& command);

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

// The bytes of the file at `path`.
QByteArray contents(const QString& path);
void click(QAbstractButton* button);
// The text of a part of the window's status line ("statusPort", "statusBrick").
QString status(MainWindow& window, const char* part);
// Chooses an item of a menu as a user does.
void choose(QComboBox* menu, int item);

// Calls `seen` for each event of a type the watched object gets.
class EventWatch : public QObject {
public:
    EventWatch(QObject* watched, QEvent::Type type, std::function<void()> seen)
        : type(type)
        , seen(std::move(seen))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == type && (seen(), false); }

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
    void save(const QVariantMap& values);
    // The settings of a first OK on the announced brick, or on a port of any type.
    void savePort() { savePort("Serial", brick.name, brick.towerPath()); }
    void savePort(const QString& type, const QString& name, const QString& path);
    // Writes the file `name` into the test's folder, as an editor saves it; its path.
    QString write(const QString& name, const QByteArray& text);

    QTemporaryDir folder;
    SimBrick brick;
};

// The window and its controller before their start.
class StartTest : public BrickTest {
protected:
    // On this machine's serial lines and an absent USB tower; ticks by hand.
    void launch();
    // The same on other ports.
    void launch(std::unique_ptr<AllPorts> ports);
    void ticks(int count)
    {
        while (count-- > 0)
            controller->doTime();
    }
    FileProgressPanel& progress() { return controller->fileProgressPanel(); }
    QString progressText();
    // Drags `data` onto the window's drop box and drops it there if taken.
    bool drop(const QMimeData& data);
    bool dropFile(const QString& path);
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
