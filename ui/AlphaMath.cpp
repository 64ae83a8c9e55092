#include "ui/AlphaMath.h"

// Exact integer arithmetic: no floating-point tie can go the wrong way.
uint8_t Unpremultiply(uint8_t c, uint8_t a) {
  if (a == 0) return static_cast<uint8_t>(c * 255);
  const unsigned numerator = c * 255u;
  unsigned quotient = numerator / a;
  const unsigned twiceRemainder = 2 * (numerator % a);
  if (twiceRemainder > a || (twiceRemainder == a && (quotient & 1))) ++quotient;
  return static_cast<uint8_t>(quotient);
}
