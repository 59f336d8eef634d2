// Infrabrick as a desktop program, in its own event loop or as a process.
#include "support/AppFixture.h"
#include "WindowTest.h"

#include "app/Application.h"

#include <csignal>

namespace {

const QString app = INFRABRICK_APP, sim = INFRABRICK_SIM, version = INFRABRICK_VERSION;

TEST(CommandLineTest, AnswersWithoutADisplay)
{
    QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        headless.remove(display);
    const struct { QString program; QStringList arguments; int exitCode; QString output, errors; } cases[] = {
        {app, {"--help"}, 0, "-v, --version", {}}, {app, {"--version"}, 0, "infrabrick " + version + "\n", {}},
        {app, {"--frobnicate"}, 2, {}, "frobnicate"}, {app, {"stray"}, 2, {}, "stray"}, {sim, {"--help"}, 0, "--announce NAME", {}},
        {sim, {"--version"}, 0, "infrabrick-sim " + version + "\n", {}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE((each.program + " " + each.arguments.join(' ')).toStdString());
        QProcess process;
        process.setProcessEnvironment(headless);
        process.start(each.program, each.arguments);
        ASSERT_TRUE(process.waitForFinished(30'000) && process.exitStatus() == QProcess::NormalExit);
        const QString output = process.readAllStandardOutput(), errors = process.readAllStandardError();
        EXPECT_EQ(process.exitCode(), each.exitCode);
        EXPECT_TRUE(output.contains(each.output)) << output.toStdString();
        EXPECT_TRUE(each.errors.isEmpty() ? errors.isEmpty() : errors.contains(each.errors) && output.isEmpty()) << errors.toStdString();
    }
}

bool holdsOpen(const QString& path)
{
    const QFileInfoList descriptors = QDir("/proc/self/fd").entryInfoList(QDir::AllEntries | QDir::System);
    return std::ranges::any_of(descriptors, [&](const QFileInfo& descriptor) { return descriptor.symLinkTarget() == path; });
}

class DesktopTest : public BrickTest {
protected:
    // The programs started here, as a user starts them, find the test's settings.
    DesktopTest()
    {
        savePort();
        qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
    }
    ~DesktopTest() override { qunsetenv("XDG_CONFIG_HOME"); }
    bool heardAnything() { return brick.control("history") != "[]"; }
};

// Closing the window; while an error sheet waits, its Quit or SIGTERM.
TEST_F(DesktopTest, EveryWayOutSavesTheFrameAndReleasesTheTower)
{
    const struct { const char* name; bool silent; std::function<void(Application&)> leave; } waysOut[] = {
        {"closing the window", false, [](Application& ended) { ended.window().close(); }},
        {"the sheet's Quit", true, [](Application& ended) { named<QPushButton>(ended.controller().timeoutPanel(), "quitButton")->click(); }},
        {"SIGTERM", true, [](Application&) { std::raise(SIGTERM); }},
    };
    for (const auto& [name, silent, leave] : waysOut) {
        SCOPED_TRACE(name);
        settings().remove("Window position");
        ASSERT_EQ(brick.control(silent ? "silent on" : "silent off"), "ok");
        bool heldWhileLive = false;
        Application application;
        application.window().resize(900, 650);
        // A way out that fails would leave the loop running: end it, and fail.
        QTimer::singleShot(60'000, &application.window(), [] { QCoreApplication::exit(1); });
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (silent ? application.controller().timeoutPanel().isVisible() : heardAnything())
                watch.stop(), heldWhileLive = holdsOpen(brick.path()), leave(application);
        });
        watch.start(20);
        EXPECT_EQ(application.exec(), 0);
        EXPECT_TRUE(heldWhileLive);
        EXPECT_FALSE(holdsOpen(brick.path()));
        MainWindow another;
        another.restoreGeometry(settings().value("Window position").toByteArray());
        EXPECT_EQ(another.size(), QSize(900, 650));
    }
}

// A later start brings back the minimized window, or hands its file over to be downloaded.
TEST_F(DesktopTest, LaterStartsBringBackTheWindowAndHandOverTheirFiles)
{
    Application application(QDBusConnection::sessionBus(), {examplesFolder + "/blink.nqc"});
    const std::string& name = application.controller().controller().currentProgName();
    QProcess second, third;
    bool restored = false;
    QObject::connect(&second, &QProcess::finished, [&] {
        restored = application.window().isVisible() && !application.window().isMinimized();
        third.start(INFRABRICK_APP, {programFile});
    });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (name == "blink" && second.program().isEmpty())
            application.window().showMinimized(), second.start(INFRABRICK_APP);
        else if (name == "tasks")
            QCoreApplication::quit();
    });
    watch.start(20);
    QTimer::singleShot(60'000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(application.exec(), 0);
    third.waitForFinished();
    EXPECT_TRUE(restored);
    EXPECT_EQ(std::pair(second.exitCode(), third.exitCode()), std::pair(0, 0)) << third.readAllStandardError().toStdString();
}

// The real program ended by Ctrl+C; a logout's SIGTERM takes the same handler, tried above in process.
TEST_F(DesktopTest, CtrlCQuitsTheProgramCleanlyWithTheSettingsSaved)
{
    QProcess application; // offscreen, as the suite's own main sets it
    application.start(INFRABRICK_APP);
    ASSERT_TRUE(application.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return heardAnything(); }, 30'000));
    ::kill(static_cast<pid_t>(application.processId()), SIGINT);
    ASSERT_TRUE(application.waitForFinished(30'000));
    EXPECT_EQ(std::pair(application.exitStatus(), application.exitCode()), std::pair(QProcess::NormalExit, 0));
    EXPECT_EQ(application.readAllStandardOutput().toStdString(), "");
    // Nothing but the offscreen platform's own notes: no "Error 9" on quit.
    for (const QString& line : QString::fromUtf8(application.readAllStandardError()).split('\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(line.startsWith("This plugin does not support")) << line.toStdString();
    EXPECT_TRUE(settings().contains("Window position"));
}

} // namespace
