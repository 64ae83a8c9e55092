#include "ui/DpiMath.h"

#include <cstdint>
#include <cstdlib>

int MulDivRound(int Value, int numerator, int denominator) {
  const int64_t product = static_cast<int64_t>(Value) * numerator;
  const int64_t magnitude = (std::llabs(product) * 2 + denominator) / (2 * int64_t{denominator});
  return static_cast<int>(product < 0 ? -magnitude : magnitude);
}

int ScaleFrom96(int Value, int ppi) {
  return ppi == 96 ? Value : MulDivRound(Value, ppi, 96);
}
