#pragma once

#include <cstddef>

// 7za.dll is real COM: every method and export is STDMETHODCALLTYPE
// (__stdcall on i686, the one convention of x86-64), spelled out here so
// that the shared declarations need no windows.h.
#define CODEC_CALL __stdcall

namespace sevenzip {

// Windows' PROPVARIANT also holds counted arrays ({count, pointer}), which
// make it 24 bytes on x86-64 and 16 on i686. An array of them (as
// SetProperties takes) must step as the codec's does.
inline constexpr size_t kPropVariantSize = 8 + 2 * sizeof(void*);

}  // namespace sevenzip
