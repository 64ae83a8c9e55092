#pragma once

#include "platform/ComPtr.h"

namespace sevenzip {
using platform::ComPtr;
}  // namespace sevenzip
