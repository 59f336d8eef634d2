#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>

// The program's texts, looked up in the window's localization table by their
// English text.
inline QString translated(const char* key)
{
    return QCoreApplication::translate("Localizable", key);
}

inline QString fromCore(const std::string& text)
{
    return QString::fromStdString(text);
}
