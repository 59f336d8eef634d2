#pragma once

#include "support/QtPrinters.h"

#include <QImage>
#include <QWidget>

// What a widget paints over an opaque white canvas.
QImage painted(QWidget& widget);
// Saves a picture under the build folder's pictures/ for people to look at.
void savePicture(const QImage& picture, const char* name);
