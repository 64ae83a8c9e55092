#include "ui/HighDpi.h"

#include <QScreen>
#include <QtGlobal>

#include <cmath>
#include <cstdint>

void UseDevicePixels() {
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  // A user-set factor would scale the device pixels again behind our back.
  qunsetenv("QT_SCALE_FACTOR");
  qunsetenv("QT_SCREEN_SCALE_FACTORS");
}

int MulDivRound(int Value, int numerator, int denominator) {
  const int64_t product = static_cast<int64_t>(Value) * numerator;
  const int64_t magnitude = (std::llabs(product) * 2 + denominator) / (2 * int64_t{denominator});
  return static_cast<int>(product < 0 ? -magnitude : magnitude);
}

int ScaleFrom96(int Value, int ppi) {
  return ppi == 96 ? Value : MulDivRound(Value, ppi, 96);
}

int ScreenPPI(const QScreen* screen) {
  return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
}
