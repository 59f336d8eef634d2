#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>

// The program's texts, looked up in the window's localization table by their
// English text: Localizable::tr with the text where it is written, so that
// lupdate finds it under the table's one context; translated(key) for a key
// marked with QT_TRANSLATE_NOOP in a table.
class Localizable {
    Q_DECLARE_TR_FUNCTIONS(Localizable)
};

inline QString translated(const char* key)
{
    return QCoreApplication::translate("Localizable", key);
}

inline QString fromCore(const std::string& text)
{
    return QString::fromStdString(text);
}
