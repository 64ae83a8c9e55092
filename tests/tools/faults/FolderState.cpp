#include "tests/tools/faults/FolderState.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace testing_tools {

namespace fs = std::filesystem;

namespace {

std::string ModeAndTime(const fs::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return " [gone]";
  char text[80];
  std::snprintf(text, sizeof text, " [mode %04o, mtime %lld.%09ld]",
                static_cast<unsigned>(st.st_mode & 07777),
                static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec);
  return text;
}

}  // namespace

FolderState ReadFolderState(const std::string& folder, FolderDetail detail) {
  FolderState state;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    // By its text: relative() would resolve a link to where it points.
    const std::string relative = it->path().lexically_relative(folder).string();
    std::string& entry = state[relative];
    if (it->is_symlink()) {
      entry = "<link>";
      if (detail == FolderDetail::ContentsModesAndTimes)
        entry += " -> " + fs::read_symlink(it->path(), ec).string();
      continue;
    }
    if (it->is_directory()) {
      entry = "<folder>";
    } else {
      std::ifstream in(it->path(), std::ios::binary);
      entry = std::string(std::istreambuf_iterator<char>(in), {});
    }
    if (detail == FolderDetail::ContentsModesAndTimes) entry += ModeAndTime(it->path());
  }
  return state;
}

std::vector<std::string> TemporaryLeftovers(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& [path, content] : ReadFolderState(folder)) {
    const std::string name = fs::path(path).filename().string();
    if (name.rfind(".~", 0) == 0 || name.rfind(".updater-", 0) == 0) found.push_back(path);
  }
  return found;
}

std::string DescribeChanges(const FolderState& before, const FolderState& after) {
  std::string text;
  for (const auto& [path, content] : before) {
    auto it = after.find(path);
    if (it == after.end())
      text += "lost: " + path + "\n";
    else if (it->second != content)
      text += "changed: " + path + " (" + std::to_string(content.size()) + " -> " +
              std::to_string(it->second.size()) + " bytes)\n";
  }
  for (const auto& [path, content] : after)
    if (!before.count(path)) text += "new: " + path + "\n";
  return text;
}

}  // namespace testing_tools
