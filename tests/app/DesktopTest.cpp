// Infrabrick as a desktop program: the window's close quits, a second start
// brings the window back, the stop signals quit cleanly. The application runs
// its own event loop against the virtual brick as a process, on a session bus
// of the test's own; the signals go to the real program.
#include "app/Application.h"
#include "app/TimeoutPanel.h"
#include "support/SimProcess.h"
#include "support/StdoutCapture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>

namespace {

// The settings of a first OK on the virtual brick's terminal.
void savePort(QSettings&& settings, const std::string& terminal)
{
    settings.setValue(LegoController::portTypeKey, "Serial");
    settings.setValue(LegoController::portNameKey, "Virtual RCX");
    settings.setValue(LegoController::portPathKey, QString::fromStdString(terminal));
    settings.setValue(LegoController::batteryTimeKey, 100);
    settings.setValue(LegoController::inputTimeKey, 10);
}

bool heardAnything(SimProcess& brick)
{
    const std::string history = brick.control("history");
    return !history.empty() && history != "[]";
}

// Whether this process has the file at `path` open.
bool holdsOpen(const std::string& path)
{
    for (const auto& descriptor : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(descriptor.path(), error) == path)
            return true;
    }
    return false;
}

class DesktopTest : public ::testing::Test {
protected:
    DesktopTest()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        savePort(QSettings("Infrabrick", "Infrabrick"), brick.path());
    }

    void SetUp() override { ASSERT_TRUE(brick.path().starts_with("/dev/")); }

    QTemporaryDir settingsFolder;
    SimProcess brick{INFRABRICK_SIM};
};

TEST_F(DesktopTest, ClosingTheWindowQuitsSavesTheSettingsAndReleasesTheTower)
{
    const StdoutCapture printed;
    Application application;
    // Closed once the brick has been asked something: the tower is in use.
    bool heldWhileLive = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (heardAnything(brick)) {
            watch.stop();
            heldWhileLive = holdsOpen(brick.path());
            application.window().close();
        }
    });
    watch.start(20);
    EXPECT_EQ(application.exec(), 0);
    EXPECT_TRUE(heldWhileLive);
    EXPECT_FALSE(holdsOpen(brick.path()));
    EXPECT_TRUE(QSettings("Infrabrick", "Infrabrick").contains("Window position"));
    // A port closed on purpose is no error.
    EXPECT_EQ(printed.text(), "");
}

// An error sheet waits for an answer and refuses to close; the ways out end
// the application all the same, with the settings saved and the tower
// released.
TEST_F(DesktopTest, TheWaysOutEndTheApplicationWhileAnErrorSheetWaits)
{
    ASSERT_EQ(brick.control("silent on"), "ok");
    const std::pair<const char*, std::function<void(TimeoutPanel&)>> waysOut[] = {
        {"the sheet's Quit", [](TimeoutPanel& sheet) { sheet.controls().quitButton->click(); }},
        {"SIGTERM", [](TimeoutPanel&) { std::raise(SIGTERM); }},
        {"SIGINT", [](TimeoutPanel&) { std::raise(SIGINT); }},
    };
    for (const auto& [name, leave] : waysOut) {
        SCOPED_TRACE(name);
        QSettings("Infrabrick", "Infrabrick").remove("Window position");
        Application application;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            TimeoutPanel& sheet = application.controller().timeoutPanel();
            if (sheet.isVisible()) {
                watch.stop();
                leave(sheet);
            }
        });
        watch.start(20);
        // A way out that fails would leave the loop running: end it, and fail.
        QTimer stuck;
        stuck.setSingleShot(true);
        QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        stuck.start(60'000);
        EXPECT_EQ(application.exec(), 0);
        EXPECT_FALSE(watch.isActive());
        EXPECT_FALSE(holdsOpen(brick.path()));
        EXPECT_TRUE(QSettings("Infrabrick", "Infrabrick").contains("Window position"));
    }
}

TEST_F(DesktopTest, ASecondStartBringsBackAMinimizedWindow)
{
    Application application;
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", settingsFolder.path());
    second.setProcessEnvironment(environment);
    bool restored = false;
    QObject::connect(&second, &QProcess::finished, [&] {
        restored = application.window().isVisible() && !application.window().isMinimized();
        QCoreApplication::quit();
    });
    QTimer::singleShot(0, [&] {
        application.window().showMinimized();
        second.start(INFRABRICK_APP);
    });
    EXPECT_EQ(application.exec(), 0);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_TRUE(restored);
}

// The real program, ended by a signal as a logout or Ctrl+C ends it.
class StopSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(StopSignalTest, QuitsCleanlyWithTheSettingsSaved)
{
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkdir("runtime"));
    QFile::setPermissions(home.filePath("runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString settingsFile = home.filePath("Infrabrick/Infrabrick.conf");
    SimProcess brick(INFRABRICK_SIM);
    ASSERT_TRUE(brick.path().starts_with("/dev/"));
    savePort(QSettings(settingsFile, QSettings::IniFormat), brick.path());

    QProcess application;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", home.path());
    environment.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    application.setProcessEnvironment(environment);
    application.start(INFRABRICK_APP);
    ASSERT_TRUE(application.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return heardAnything(brick); }, 30'000));
    ::kill(static_cast<pid_t>(application.processId()), GetParam());
    ASSERT_TRUE(application.waitForFinished(30'000));
    EXPECT_EQ(application.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(application.exitCode(), 0);
    EXPECT_EQ(application.readAllStandardOutput().toStdString(), "");
    // Nothing but the offscreen platform's own notes.
    const QStringList errors = QString::fromUtf8(application.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    for (const QString& line : errors)
        EXPECT_TRUE(line.startsWith("This plugin does not support")) << line.toStdString();
    EXPECT_TRUE(QSettings(settingsFile, QSettings::IniFormat).contains("Window position"));
}

INSTANTIATE_TEST_SUITE_P(TermAndInt, StopSignalTest, ::testing::Values(SIGTERM, SIGINT));

} // namespace
