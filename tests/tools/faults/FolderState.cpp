#include "tests/tools/faults/FolderState.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace testing_tools {

namespace fs = std::filesystem;

FolderState ReadFolderState(const std::string& folder) {
  FolderState state;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    const std::string relative = fs::relative(it->path(), folder).string();
    if (it->is_symlink()) {
      state[relative] = "<link>";
    } else if (it->is_directory()) {
      state[relative] = "<folder>";
    } else {
      std::ifstream in(it->path(), std::ios::binary);
      state[relative] = std::string(std::istreambuf_iterator<char>(in), {});
    }
  }
  return state;
}

std::vector<std::string> TemporaryLeftovers(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& [path, content] : ReadFolderState(folder)) {
    const std::string name = fs::path(path).filename().string();
    if (name.rfind(".7z-", 0) == 0 || name.rfind(".~", 0) == 0) found.push_back(path);
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
