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

QString aboutText()
{
    QString about = QStringLiteral("<h3>Infrabrick %1</h3>").arg(INFRABRICK_VERSION) +
                    "<p>" + localizedUi(QT_TRANSLATE_NOOP("Localizable", "Watch and drive a LEGO Mindstorms RCX brick through its infrared tower.")) +
                    "</p><p>" + localizedUi(QT_TRANSLATE_NOOP("Localizable", "Copyright © 2026 the Infrabrick developers.")) + "<br>" +
                    localizedUi(QT_TRANSLATE_NOOP("Localizable",
                                           "Infrabrick is free software under the GNU General Public License, version 3 "
                                           "or any later version (GPL-3.0-or-later). It comes with no warranty.")) +
                    "</p><p>" +
                    localizedUi(QT_TRANSLATE_NOOP("Localizable", "The manual: %1; the virtual brick's: %2."))
                        .arg("<tt>man infrabrick</tt>", "<tt>man infrabrick-sim</tt>");
    const QString folder = documentationFolder();
    if (!folder.isEmpty())
        about += "<br>" + localizedUi(QT_TRANSLATE_NOOP("Localizable", "The README, the changes and the copyright: %1."))
                              .arg(QStringLiteral("<a href=\"%1\">%2</a>")
                                       .arg(QUrl::fromLocalFile(folder).toString(), folder.toHtmlEscaped()));
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
