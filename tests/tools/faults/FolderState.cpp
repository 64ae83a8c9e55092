#include "tests/tools/faults/FolderState.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/tools/Utf8Path.h"
#include "tests/tools/faults/EntryDetail.h"

namespace testing_tools {

namespace fs = std::filesystem;

FolderState ReadFolderState(const std::string& folder, FolderDetail detail) {
  FolderState state;
  std::error_code ec;
  const fs::path root = U8Path(folder);
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    // By its text: relative() would resolve a link to where it points.
    const std::string relative = U8Generic(it->path().lexically_relative(root));
    std::string& entry = state[relative];
    if (it->is_symlink()) {
      entry = "<link>";
      if (detail == FolderDetail::ContentsModesAndTimes)
        entry += " -> " + U8String(fs::read_symlink(it->path(), ec));
      continue;
    }
    if (it->is_directory()) {
      entry = "<folder>";
    } else {
      std::ifstream in(it->path(), std::ios::binary);
      entry = std::string(std::istreambuf_iterator<char>(in), {});
    }
    if (detail == FolderDetail::ContentsModesAndTimes) entry += EntryDetail(it->path());
  }
  return state;
}

std::vector<std::string> TemporaryLeftovers(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& [path, content] : ReadFolderState(folder)) {
    const std::string name = path.substr(path.rfind('/') + 1);
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
