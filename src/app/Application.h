#pragma once

#include "app/ApplicationBus.h"
#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "app/StopSignals.h"

// The running desktop application: the main window, its controller, its
// place on the session bus and the signals that stop it. Closing the window
// quits, as Quit, SIGTERM and SIGINT do; quitting saves the settings and
// releases the tower.
class Application {
public:
    // The names the settings, the desktop and the About box go by; before
    // the application object is made.
    static void nameApplication();

    // `files` are the program or firmware files of the command line.
    explicit Application(const QDBusConnection& bus = QDBusConnection::sessionBus(), QStringList files = {});

    // Runs until the application quits and returns its exit code. When
    // another instance runs on this desktop, brings that one's window up
    // instead, hands it the files, and returns at once.
    int exec();

    MainWindow& window() { return mainWindow; }
    LegoController& controller() { return legoController; }

private:
    MainWindow mainWindow;
    LegoController legoController;
    ApplicationBus bus;
    StopSignals stopSignals;
    QStringList files;
};
