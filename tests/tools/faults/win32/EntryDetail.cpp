#include "tests/tools/faults/EntryDetail.h"

#include <windows.h>

#include <cstdio>

namespace testing_tools {

std::string EntryDetail(const std::filesystem::path& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return " [gone]";
  const unsigned long long ticks =
      (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
      data.ftLastWriteTime.dwLowDateTime;
  char text[80];
  std::snprintf(text, sizeof text, " [%s, mtime %llu]",
                (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? "read-only" : "writable",
                ticks);
  return text;
}

}  // namespace testing_tools
