// Takes pictures of the main window's tabs, its sheets and the About box,
// with the application running against a virtual brick:
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
#include "app/DatalogPanel.h"
#include "app/DynamicSensorPanel.h"
#include "app/FileProgressPanel.h"
#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "app/PreferencesPanel.h"
#include "app/TimeoutPanel.h"
#include "app/Translations.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>

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
    MainWindow window;
    LegoController controller(window, std::make_unique<AllPorts>(std::make_unique<BrickPort>(brick),
                                                                 std::make_unique<NoPort>()));
    window.resize(1024, 700);
    window.show();
    controller.applicationDidFinishLaunching();
    controller.timer().stop();
    ticks(controller, 3);
    // A light sensor on input 1, so that the "Test" tab shows a reading; a
    // program in slot 1 with its names, messages from the brick and values
    // in the variables, for the other tabs.
    window.controls().sensor1TypeButton->setCurrentIndex(3);
    controller.downloadFile(INFRABRICK_SOURCE_DIR "/tests/rcx/fixtures/tasks.rcx");
    for (const char* message : {"message 7", "message 42", "message 255"})
        BrickControl(brick).run(message);
    for (int variable = 0; variable < 6; ++variable)
        controller.controller().writeVariable(variable, 100 * variable + 7);

    QTabWidget* tabs = window.controls().theTabs;
    for (int index = 0; index < tabs->count(); ++index) {
        tabs->setCurrentIndex(index);
        ticks(controller, 10);
        save(window, folder, "tab-" + tabs->widget(index)->objectName().toLower());
    }
    tabs->setCurrentIndex(0);

    controller.setPreferences(true);
    save(controller.preferencesPanel(), folder, "sheet-preferences");
    controller.preferencesPanel().done(0);
    // The sheet as the mode menu's last item opens it, for a light sensor.
    window.controls().sensor2TypeButton->setCurrentIndex(3);
    emit window.controls().sensor2TypeButton->activated(3);
    window.controls().sensor2ModeButton->setCurrentIndex(8);
    emit window.controls().sensor2ModeButton->activated(8);
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
    QMessageBox* about = openAboutBox(&window);
    save(*about, folder, "about");
    about->close();
    return 0;
}
