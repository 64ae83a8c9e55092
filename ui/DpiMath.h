#pragma once

// Value x numerator / denominator (denominator > 0), halves rounded away from
// zero, as the platform's MulDiv rounds.
int MulDivRound(int Value, int numerator, int denominator);

// `Value` designed at 96 DPI, scaled to `ppi`: MulDiv(Value, ppi, 96), halves
// rounded away from zero, negative values alike.
int ScaleFrom96(int Value, int ppi);
