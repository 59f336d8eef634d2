#pragma once

// The window's sheets and meters as its suites reach them, with Qt's widgets and test tools.
#include "app/CompileErrorPanel.h"
#include "app/DatalogPanel.h"
#include "app/DatalogWindow.h"
#include "app/DynamicSensorPanel.h"
#include "app/FileProgressPanel.h"
#include "app/MainWindow.h"
#include "app/PreferencesPanel.h"
#include "app/TimeoutPanel.h"
#include "support/Controls.h"
#include "views/AnimatedButton.h"
#include "views/DatalogLevel.h"
#include "views/LevelMeter.h"

#include <QtTest>
#include <QtWidgets>
