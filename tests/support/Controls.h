#pragma once

#include <QObject>

#include <gtest/gtest.h>

// A control of a window or sheet by the object name its form gives it: tests
// reach the controls as a user's tools do, not through the generated forms.
template <typename Control> Control* named(const QObject& parent, const char* name)
{
    Control* control = parent.findChild<Control*>(name);
    if (control == nullptr)
        ADD_FAILURE() << "no control named " << name;
    return control;
}
