#pragma once

#include "ui/DpiMath.h"

class QScreen;

// Windows work in device pixels and scale their design lengths themselves, so
// Qt's own high-DPI scaling is switched off. Call before the QApplication
// exists.
void UseDevicePixels();

// A screen's logical DPI as a whole number; 96 without a screen.
int ScreenPPI(const QScreen* screen);
