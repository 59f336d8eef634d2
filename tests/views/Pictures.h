#pragma once

// What the view tests share: what widgets paint, and Qt's values printed
// readably in GoogleTest's messages.
#include "support/QtPrinters.h"

#include <QApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

// What a widget paints over an opaque white canvas.
QImage painted(QWidget& widget);
