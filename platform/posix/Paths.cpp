#include "platform/Paths.h"

#include <filesystem>

namespace platform {

const char* const kNameDelimiters = "/";
const char kPathSeparator = '/';

bool IsPathSeparator(char c) {
  return c == '/';
}

bool IsAbsolutePath(const std::string& path) {
  return !path.empty() && path.front() == '/';
}

std::string ResolvedPath(const std::string& path) {
  if (path.empty()) return {};
  std::error_code ec;
  const std::filesystem::path resolved = std::filesystem::canonical(path, ec);
  return ec ? std::string() : resolved.string();
}

bool IsRootPath(const std::string& resolved) {
  return resolved == "/";
}

}  // namespace platform
