#include "app/Application.h"
#include "app/CommandLine.h"
#include "models/Translations.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    Application::nameApplication();
    QStringList files;
    {
        // The command line is answered before there is a window to show,
        // so that --help and --version need no display.
        QCoreApplication console(argc, argv);
        installTranslations();
        const CommandLine commandLine(QCoreApplication::arguments());
        if (!commandLine.runs())
            return commandLine.answer();
        files = commandLine.files();
    }
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(":/icons/infrabrick.svg"));
    installTranslations();
    Application infrabrick(QDBusConnection::sessionBus(), files);
    return infrabrick.exec();
}
