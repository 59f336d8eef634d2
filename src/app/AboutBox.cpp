#include "app/AboutBox.h"

#include "app/LocalizedUi.h"

#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <QUrl>

namespace {

// The installed documentation, found from the program's own folder, so that
// it is right for any install prefix; empty when there is none (a program
// run from its build folder).
QString documentationFolder()
{
    const QDir folder(QDir(QCoreApplication::applicationDirPath()).filePath(INFRABRICK_DOCS_FROM_PROGRAM));
    return folder.exists() ? folder.canonicalPath() : QString();
}

// A command to type, kept on one line.
QString command(const char* text)
{
    return QStringLiteral("<span style=\"white-space: nowrap\"><tt>%1</tt></span>").arg(text);
}

QString aboutText()
{
    const QString summary = localizedUi(
        QT_TRANSLATE_NOOP("Localizable", "Watch and drive a LEGO Mindstorms RCX brick through its infrared tower."));
    const QString copyright =
        localizedUi(QT_TRANSLATE_NOOP("Localizable", "Copyright © 2026 the Infrabrick developers."));
    const QString licence = localizedUi(QT_TRANSLATE_NOOP(
        "Localizable", "Infrabrick is free software under the GNU General Public License, version 3 or any later "
                       "version (GPL-3.0-or-later). It comes with no warranty."));
    const QString manuals = localizedUi(QT_TRANSLATE_NOOP("Localizable", "The manual: %1; the virtual brick's: %2."))
                                .arg(command("man infrabrick"), command("man infrabrick-sim"));
    QString about = QStringLiteral("<h3>Infrabrick %1</h3><p>%2</p><p>%3<br>%4</p><p>%5")
                        .arg(INFRABRICK_VERSION, summary, copyright, licence, manuals);
    const QString folder = documentationFolder();
    if (!folder.isEmpty()) {
        const QString link = QStringLiteral("<a href=\"%1\">%2</a>")
                                 .arg(QUrl::fromLocalFile(folder).toString(), folder.toHtmlEscaped());
        const QString documents =
            localizedUi(QT_TRANSLATE_NOOP("Localizable", "The README, the changes and the copyright: %1."));
        about += "<br>" + documents.arg(link);
    }
    return about + "</p>";
}

} // namespace

QMessageBox* openAboutBox(QWidget* window)
{
    auto* box = new QMessageBox(window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(localizedUi(QT_TRANSLATE_NOOP("Localizable", "About Infrabrick")));
    box->setIconPixmap(QIcon(":/icons/infrabrick.svg").pixmap(64, 64));
    box->setTextFormat(Qt::RichText);
    box->setTextInteractionFlags(Qt::TextBrowserInteraction);
    box->setText(aboutText());
    box->setStandardButtons(QMessageBox::Close);
    box->setWindowModality(Qt::WindowModal);
    box->open();
    return box;
}
