#include "cli/CliMain.h"
#include "models/Translations.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    // Before any other thread: they all keep Ctrl+C blocked for its own.
    static Interruption interruption;
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Infrabrick");
    QCoreApplication::setApplicationName("infrabrick-cli");
    installTranslations();
    return runCommandLine(QCoreApplication::arguments(), interruption);
}
