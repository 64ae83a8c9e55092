#pragma once

#include <filesystem>
#include <string>

namespace platform {

// Paths from UTF-8 text and back. std::filesystem reads and writes narrow
// text in the system's code page on Windows, not in UTF-8.
inline std::filesystem::path U8Path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string U8String(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// With '/' between the components on every platform.
inline std::string U8Generic(const std::filesystem::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace platform
