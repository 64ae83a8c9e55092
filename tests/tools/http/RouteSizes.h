#pragma once

#include <cstddef>

namespace testing_tools {

// The sizes of what the transfer routes send (TransferRoutes.h).
struct RouteSizes {
  static constexpr size_t kBodySize = 100000;    // of /file and most others
  static constexpr size_t kSlowSize = 10000000;  // of /slow and /silent
  static constexpr size_t kSlowChunk = 4096;     // /slow's piece, every 20 ms
};

}  // namespace testing_tools
