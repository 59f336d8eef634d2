#include "app/ApplicationBus.h"
#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "app/Translations.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Infrabrick");
    QApplication::setApplicationName("Infrabrick");
    QApplication::setWindowIcon(QIcon(":/icons/infrabrick.svg"));
    installTranslations();

    // Closing the window leaves the application running: starting it again
    // brings the window back.
    QApplication::setQuitOnLastWindowClosed(false);
    MainWindow window;
    LegoController controller(window);

    ApplicationBus bus(controller, QDBusConnection::sessionBus());
    if (!bus.claim())
        return bus.reopenRunningInstance() ? 0 : 1;

    QObject::connect(&application, &QCoreApplication::aboutToQuit, &controller,
                     &LegoController::applicationWillTerminate);
    window.show();
    QTimer::singleShot(0, &controller, &LegoController::applicationDidFinishLaunching);
    return application.exec();
}
