#pragma once

class QScreen;

// Windows work in device pixels and scale their design lengths themselves, so
// Qt's own high-DPI scaling is switched off. Call before the QApplication
// exists.
void UseDevicePixels();

// Value x numerator / denominator (denominator > 0), halves rounded away from
// zero, as the platform's MulDiv rounds.
int MulDivRound(int Value, int numerator, int denominator);

// `Value` designed at 96 DPI, scaled to `ppi`: MulDiv(Value, ppi, 96), halves
// rounded away from zero, negative values alike.
int ScaleFrom96(int Value, int ppi);

// A screen's logical DPI as a whole number; 96 without a screen.
int ScreenPPI(const QScreen* screen);
