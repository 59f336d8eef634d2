#include "models/SavedPort.h"

SavedPort SavedPort::load(const QSettings& settings)
{
    return {settings.value(typeKey).toString(), settings.value(nameKey).toString(), settings.value(pathKey).toString()};
}

void SavedPort::save(QSettings& settings) const
{
    settings.setValue(typeKey, type);
    settings.setValue(nameKey, name);
    settings.setValue(pathKey, path);
}
