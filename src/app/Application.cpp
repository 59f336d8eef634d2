#include "app/Application.h"

#include <QApplication>
#include <QTimer>

void Application::nameApplication()
{
    QCoreApplication::setOrganizationName("Infrabrick");
    QCoreApplication::setApplicationName("Infrabrick");
    QCoreApplication::setApplicationVersion(INFRABRICK_VERSION);
    // The desktop entry and the AppStream data go by this name.
    QGuiApplication::setDesktopFileName("org.infrabrick.Infrabrick");
}

Application::Application(const QDBusConnection& connection, QStringList files)
    : legoController(mainWindow)
    , bus(legoController, connection)
    , files(std::move(files))
{
    QObject::connect(&stopSignals, &StopSignals::stopRequested, qApp, &LegoController::endApplication);
}

int Application::exec()
{
    if (!bus.claim())
        return bus.reopenRunningInstance(files) ? 0 : 1;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &legoController, &LegoController::applicationWillTerminate);
    mainWindow.show();
    QTimer::singleShot(0, &legoController, [this] {
        legoController.applicationDidFinishLaunching();
        legoController.openFiles(files);
    });
    return QApplication::exec();
}
