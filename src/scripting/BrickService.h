#pragma once

#include "scripting/BrickPaths.h"

#include <QDBusConnection>
#include <QStringList>

class RCXControllerScript;

// Puts the scriptable brick and its elements on a D-Bus connection, each at
// its path under /Brick, for as long as it lives.
class BrickService {
public:
    BrickService(RCXControllerScript& brick, QDBusConnection connection);
    ~BrickService();
    BrickService(const BrickService&) = delete;
    BrickService& operator=(const BrickService&) = delete;

    // False when the connection refused a path (no bus, or a path taken).
    bool registered() const { return allRegistered; }

private:
    void add(const QString& path, QObject* element);
    template <class Elements>
    void addAll(const Elements& elements)
    {
        for (const auto& element : elements)
            add(BrickPaths::of(*element), element.get());
    }

    QDBusConnection connection;
    QStringList paths;
    bool allRegistered = true;
};
