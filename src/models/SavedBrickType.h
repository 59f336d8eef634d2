#pragma once

#include "rcx/NqcCompiler.h"

#include <QSettings>

// The brick type chosen in the window's preferences ("RCX 1.0", "RCX 1.5",
// "RCX 2.0"), as the settings keep it: both programs compile NQC sources
// for it.
struct SavedBrickType {
    static constexpr const char* key = "RCX Type";

    static BrickTarget target(const QSettings& settings)
    {
        return targetOfBrickType(settings.value(key).toString().toStdString());
    }
};
