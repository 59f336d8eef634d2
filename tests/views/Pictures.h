#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

#include "support/QtPrinters.h"

class QWidget;

// Test pictures: blocks of colour whose every pixel a test can predict.
QImage solidImage(QSize size, QColor top, QColor bottom);
// What a widget paints over an opaque white canvas.
QImage painted(QWidget& widget);
// Saves a picture under the build folder's pictures/ for people to look at.
void savePicture(const QImage& picture, const char* name);
