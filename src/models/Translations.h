#pragma once

#include <QLocale>

// Installs the application's translation for the locale (the desktop's
// language by default) and routes the core's text lookups through it.
void installTranslations(const QLocale& locale = QLocale());
