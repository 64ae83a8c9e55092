#pragma once

#include <cstdint>

// A colour channel of a premultiplied (or straight-alpha) pixel back to its
// straight value: c / a x 255 rounded half to even, c x 255 when a is 0. Only
// the low 8 bits are kept, as the PNG conversion stores them.
uint8_t Unpremultiply(uint8_t c, uint8_t a);
