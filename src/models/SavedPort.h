#pragma once

#include <QSettings>
#include <QString>

// The tower chosen in the window's preferences, as the settings keep it: the
// port list's type, name and path of its entry. Both programs open it by
// default.
struct SavedPort {
    static constexpr const char* typeKey = "Port Type";
    static constexpr const char* nameKey = "Port Name";
    static constexpr const char* pathKey = "Port Path";

    QString type;
    QString name;
    QString path;

    // Empty fields when nothing was saved.
    static SavedPort load(const QSettings& settings);
    void save(QSettings& settings) const;
};
