// Takes pictures of the main window's tabs, its sheets, the About box and the
// datalog window, with the application running against a virtual brick:
//   infrabrick-screenshots <folder>
// On an X server (scripts/screenshots starts one with a window manager) each
// picture is taken from the screen, frame and title bar included, as a user
// sees the window; offscreen each widget draws itself.
// The brick's headers come first: they use names that Qt's keywords (slots,
// emit) would otherwise turn into macros.
#include "sim/Brick.h"
#include "sim/BrickControl.h"
#include "sim/BrickPort.h"

#include "app/AboutBox.h"
#include "app/CompileErrorPanel.h"
#include "app/DatalogPanel.h"
#include "app/DatalogWindow.h"
#include "app/DynamicSensorPanel.h"
#include "app/FileProgressPanel.h"
#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "app/PreferencesPanel.h"
#include "app/TimeoutPanel.h"
#include "models/Translations.h"
#include "views/SensorHistoryView.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

namespace {

// Lets the window system show and place what changed, and the window paint.
void settle()
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

QPixmap picture(QWidget& widget)
{
    if (QGuiApplication::platformName() != "xcb")
        return widget.grab();
    const QRect frame = widget.frameGeometry();
    return widget.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
}

void save(QWidget& widget, const QString& folder, const QString& name)
{
    settle();
    QString path = QDir(folder).filePath(name + ".png");
    if (!picture(widget).save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

void ticks(LegoController& controller, int count)
{
    for (int tick = 0; tick < count; ++tick)
        controller.doTime();
}

// A control of the window by the object name its form gives it.
template <typename Control> Control* control(const QObject& window, const char* name)
{
    return window.findChild<Control*>(name);
}

void choose(QComboBox* menu, int item)
{
    menu->setCurrentIndex(item);
    emit menu->activated(item);
}

// Two minutes of readings, twice a second, in place of the first poll's and
// before the window's next one, each ending at the value the sensor shows: a light level swinging as a
// robot crosses lines, a touch sensor pressed now and then, a temperature
// rising.
void fillHistories(LegoController& controller, const MainWindow& window)
{
    using namespace std::chrono_literals;
    SensorHistoryView* histories[] = {control<SensorHistoryView>(window, "sensor1History"), control<SensorHistoryView>(window, "sensor2History"), control<SensorHistoryView>(window, "sensor3History")};
    QLineEdit* values[] = {control<QLineEdit>(window, "sensor1Value"), control<QLineEdit>(window, "sensor2Value"), control<QLineEdit>(window, "sensor3Value")};
    QComboBox* types[] = {control<QComboBox>(window, "sensor1TypeButton"), control<QComboBox>(window, "sensor2TypeButton"), control<QComboBox>(window, "sensor3TypeButton")};
    auto reading = [](int sensor, double ago, int now) {
        switch (sensor) {
        case 0:
            return now + static_cast<int>(std::lround(12 * std::sin(ago / 6)));
        case 1:
            return (static_cast<int>(ago) + 10) % 30 < 4 ? 1 - now : now;
        default:
            return now - static_cast<int>(ago / 20);
        }
    };
    const auto start = SensorHistory::Clock::now();
    for (int sensor = 0; sensor < 3; ++sensor) {
        const SensorHistory::Mode mode{types[sensor]->currentIndex(), controller.sensorModeStoreValue(sensor + 1),
                                       controller.sensorSlopeStoreValue(sensor + 1)};
        histories[sensor]->clear();
        for (int half = 240; half > 0; --half)
            histories[sensor]->record(reading(sensor, half / 2.0, values[sensor]->text().toInt()), mode,
                                      start - half * 500ms);
    }
}

// A program's log: a counter, a light sensor and a timer, 45 times.
void fillDatalog(Brick& brick, LegoController& controller)
{
    controller.controller().setDataLog(150, controller);
    controller.controller().currentVarName(0) = "count";
    for (int round = 0; round < 45; ++round) {
        brick.addDatalogEntry(0x00, static_cast<std::int16_t>(round));
        brick.addDatalogEntry(0x40, static_cast<std::int16_t>(50 + std::lround(20 * std::sin(round / 4.0))));
        brick.addDatalogEntry(0x20, static_cast<std::int16_t>(round * 3));
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: infrabrick-screenshots FOLDER\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(":/icons/infrabrick.svg"));
    installTranslations();
    QString folder = argv[1];
    QDir().mkpath(folder);

    // A settings store of its own, set up as after a first OK.
    QTemporaryDir settingsFolder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
    {
        QSettings settings("Infrabrick", "Infrabrick");
        settings.setValue(LegoController::portTypeKey, "Serial");
        settings.setValue(LegoController::portNameKey, "Virtual brick");
        settings.setValue(LegoController::portPathKey, "brick");
        settings.setValue(LegoController::batteryTimeKey, 100);
        settings.setValue(LegoController::inputTimeKey, 10);
        settings.setValue(LegoController::batteryFullKey, 9.6);
        settings.setValue(LegoController::batteryEmptyKey, 6.6);
    }

    Brick brick;
    brick.setBattery(8100);
    brick.setSensorRaw(0, 500); // sensor 1
    brick.setSensorRaw(2, 400); // sensor 3
    MainWindow window;
    LegoController controller(window, std::make_unique<AllPorts>(std::make_unique<BrickPort>(brick),
                                                                 std::make_unique<NoPort>()));
    window.resize(1024, 700);
    window.show();
    controller.applicationDidFinishLaunching();
    controller.timer().stop();
    ticks(controller, 3);
    // A light sensor on input 1, a touch sensor on 2 and a temperature
    // sensor on 3, so that the "Test" tab shows readings and their history;
    // a program in slot 1 with its names, messages from the brick and values
    // in the variables, for the other tabs.
    choose(control<QComboBox>(window, "sensor1TypeButton"), 3);
    choose(control<QComboBox>(window, "sensor2TypeButton"), 1);
    choose(control<QComboBox>(window, "sensor3TypeButton"), 2);
    controller.downloadFile(INFRABRICK_SOURCE_DIR "/tests/rcx/fixtures/tasks.rcx");
    for (const char* message : {"message 7", "message 42", "message 255"})
        BrickControl(brick).run(message);
    for (int variable = 0; variable < 6; ++variable)
        controller.controller().writeVariable(variable, 100 * variable + 7);
    ticks(controller, 10);
    fillHistories(controller, window);

    QTabWidget* tabs = control<QTabWidget>(window, "theTabs");
    for (int index = 0; index < tabs->count(); ++index) {
        tabs->setCurrentIndex(index);
        ticks(controller, 10);
        save(window, folder, "tab-" + tabs->widget(index)->objectName().toLower());
    }
    tabs->setCurrentIndex(0);

    fillDatalog(brick, controller);
    DatalogWindow& datalog = controller.datalogWindow();
    datalog.resize(1000, 560);
    controller.showDatalog();
    save(datalog, folder, "view-datalog");
    datalog.hide();

    controller.setPreferences(true);
    save(controller.preferencesPanel(), folder, "sheet-preferences");
    controller.preferencesPanel().done(0);
    // The sheet as the mode menu's last item opens it, for a light sensor.
    choose(control<QComboBox>(window, "sensor2TypeButton"), 3);
    choose(control<QComboBox>(window, "sensor2ModeButton"), 8);
    DynamicSensorPanel& sensor = controller.dynamicSensorPanel();
    save(sensor, folder, "sheet-sensor-mode");
    sensor.done(0);
    controller.timeoutPanel().open();
    save(controller.timeoutPanel(), folder, "sheet-timeout");
    controller.timeoutPanel().hide();
    controller.towerErrorPanel().open();
    save(controller.towerErrorPanel(), folder, "sheet-tower-error");
    controller.towerErrorPanel().hide();
    controller.datalogPanel().open();
    save(controller.datalogPanel(), folder, "sheet-datalog-size");
    controller.datalogPanel().hide();
    FileProgressPanel& progress = controller.fileProgressPanel();
    progress.showStart("Downloading file \"tracker.rcx\"");
    progress.open();
    settle(); // the estimate needs the time two blocks took
    progress.incrementBy(2.5);
    settle();
    progress.incrementBy(40.0);
    save(progress, folder, "sheet-progress");
    progress.hide();
    // A source with two mistakes, as the compiler reports them.
    QTemporaryDir sources;
    QFile mistaken(sources.filePath("line-follower.nqc"));
    if (mistaken.open(QIODevice::WriteOnly)) {
        mistaken.write("task main()\n{\n    SetSensor(SENSOR_2, SENSOR_LIGHT);\n    OnFwd(OUT_A + OUT_C)\n"
                       "    while (true) {\n        if (SENSOR_2 < EDGE) Off(OUT_A);\n    }\n}\n");
        mistaken.close();
    }
    controller.downloadFile(mistaken.fileName());
    CompileErrorPanel& errors = controller.compileErrorPanel();
    errors.resize(640, errors.sizeHint().height());
    save(errors, folder, "sheet-compile-errors");
    errors.hide();
    QMessageBox* about = openAboutBox(&window);
    save(*about, folder, "about");
    about->close();
    return 0;
}
