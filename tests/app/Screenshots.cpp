// Renders the main window's tabs and every sheet offscreen into PNG files:
//   infrabrick-screenshots <folder> [width height]
#include "app/DatalogPanel.h"
#include "app/DynamicSensorPanel.h"
#include "app/FileProgressPanel.h"
#include "app/MainWindow.h"
#include "app/PreferencesPanel.h"
#include "app/TimeoutPanel.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace {

void save(QWidget& widget, const QString& folder, const QString& name)
{
    widget.show();
    QApplication::processEvents();
    QString path = QDir(folder).filePath(name + ".png");
    if (!widget.grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: infrabrick-screenshots FOLDER [WIDTH HEIGHT]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QString folder = argv[1];
    QDir().mkpath(folder);

    MainWindow window;
    window.resize(argc > 3 ? QSize(std::atoi(argv[2]), std::atoi(argv[3])) : QSize(1024, 700));
    QTabWidget* tabs = window.controls().theTabs;
    for (int index = 0; index < tabs->count(); ++index) {
        tabs->setCurrentIndex(index);
        save(window, folder, "tab-" + tabs->widget(index)->objectName().toLower());
    }

    PreferencesPanel preferences(&window);
    save(preferences, folder, "sheet-preferences");
    DynamicSensorPanel sensor(&window);
    save(sensor, folder, "sheet-sensor-mode");
    TimeoutPanel timeout(&window, "The brick does not answer",
                         "Check that the brick is switched on and faces the tower.", true);
    save(timeout, folder, "sheet-timeout");
    DatalogPanel datalog(&window);
    save(datalog, folder, "sheet-datalog-size");
    FileProgressPanel progress(&window);
    progress.showStart("Downloading program");
    progress.incrementBy(42.5);
    save(progress, folder, "sheet-progress");
    return 0;
}
