#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "app/Translations.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Infrabrick");
    QApplication::setApplicationName("Infrabrick");
    QApplication::setWindowIcon(QIcon(":/icons/infrabrick.svg"));

    SingleInstance instance(QStringLiteral("infrabrick-%1").arg(qEnvironmentVariable("USER")));
    if (instance.toldRunningInstance())
        return 0;
    instance.listen();

    installTranslations();

    // Closing the window leaves the application running: starting it again
    // brings the window back.
    QApplication::setQuitOnLastWindowClosed(false);
    MainWindow window;
    LegoController controller(window);
    QObject::connect(&instance, &SingleInstance::reopen, &controller, &LegoController::applicationShouldHandleReopen);
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &controller,
                     &LegoController::applicationWillTerminate);
    window.show();
    QTimer::singleShot(0, &controller, &LegoController::applicationDidFinishLaunching);
    return application.exec();
}
