#pragma once

#include <cstddef>

// The codec's Linux build (interface type 0): methods in the platform's
// default calling convention, and a PROPVARIANT of 16 bytes, its header and
// one 8-byte value.
#define CODEC_CALL

namespace sevenzip {

inline constexpr size_t kPropVariantSize = 16;

}  // namespace sevenzip
