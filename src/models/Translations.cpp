#include "models/Translations.h"

#include "rcx/Localization.h"

#include <QCoreApplication>
#include <QTranslator>

void installTranslations(const QLocale& locale)
{
    static QTranslator translator;
    QCoreApplication::removeTranslator(&translator);
    // A language without a table of its own (or the C locale) reads English.
    if (translator.load(locale, "infrabrick", "_", ":/i18n") || translator.load("infrabrick_en", ":/i18n"))
        QCoreApplication::installTranslator(&translator);
    setLocalizer([](const std::string& key) {
        return QCoreApplication::translate("Localizable", key.c_str()).toStdString();
    });
}
