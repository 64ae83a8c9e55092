#pragma once

#include <cstddef>
#include <string>

namespace testing_tools {

// A body whose every byte depends on its position, so misplaced data shows.
inline std::string Pattern(size_t size) {
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
  return body;
}

}  // namespace testing_tools
