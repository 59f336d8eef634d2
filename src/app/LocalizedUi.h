#pragma once

#include <QCoreApplication>
#include <QString>

// Every text of the application is looked up in the one context
// "Localizable", keyed by its English text. The forms are compiled with this
// function as their lookup (uic --tr), so their texts land in that context
// too instead of one context per form.
inline QString localizedUi(const char* text, const char* /*disambiguation*/ = nullptr)
{
    return QCoreApplication::translate("Localizable", text);
}
