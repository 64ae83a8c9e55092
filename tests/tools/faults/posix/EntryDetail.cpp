#include "tests/tools/faults/EntryDetail.h"

#include <sys/stat.h>

#include <cstdio>

namespace testing_tools {

std::string EntryDetail(const std::filesystem::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return " [gone]";
  char text[80];
  std::snprintf(text, sizeof text, " [mode %04o, mtime %lld.%09ld]",
                static_cast<unsigned>(st.st_mode & 07777),
                static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec);
  return text;
}

}  // namespace testing_tools
