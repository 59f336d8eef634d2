#pragma once

// What the suites that drive the window share: its sheets and meters, and Qt's widgets.
#include "support/AppFixture.h"

#include "app/CompileErrorPanel.h"
#include "app/DatalogPanel.h"
#include "app/DatalogWindow.h"
#include "app/DynamicSensorPanel.h"
#include "app/PreferencesPanel.h"
#include "app/TimeoutPanel.h"
#include "views/AnimatedButton.h"
#include "views/DatalogLevel.h"
#include "views/LevelMeter.h"

#include <QTest>
#include <QtWidgets>
