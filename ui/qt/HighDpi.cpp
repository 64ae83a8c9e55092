#include "ui/qt/HighDpi.h"

#include <QScreen>
#include <QtGlobal>

#include <cmath>

void UseDevicePixels() {
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  // A user-set factor would scale the device pixels again behind our back.
  qunsetenv("QT_SCALE_FACTOR");
  qunsetenv("QT_SCREEN_SCALE_FACTORS");
}

int ScreenPPI(const QScreen* screen) {
  return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
}
