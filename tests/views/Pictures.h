#pragma once

// What the view tests share: the pictures they paint and save, and Qt's
// values printed readably in GoogleTest's messages.
#include "support/QtPrinters.h"

#include <QApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

// What a widget paints over an opaque white canvas.
QImage painted(QWidget& widget);
// Saves a picture under the build folder's pictures/ for people to look at.
void savePicture(const QImage& picture, const char* name);
