#include "platform/FolderWalk.h"

namespace platform {

Result OpenFolderPath(const FolderHandle& dir, const std::vector<std::string>& components,
                      FolderHandle* folder) {
  FolderHandle current = dir;
  for (const std::string& name : components) {
    FolderHandle next;
    if (Result opened = current.OpenFolder(name, &next); !opened) return opened;
    current = std::move(next);
  }
  *folder = std::move(current);
  return {};
}

Result RemoveTreeAt(const FolderHandle& dir, const std::string& name) {
  Result removed = dir.RemoveFile(name);
  if (removed || ErrorOf(removed) == FsError::kMissing) return {};
  if (ErrorOf(removed) != FsError::kFolder) return removed;
  Result first;
  {
    FolderHandle folder;
    if (Result opened = dir.OpenFolder(name, &folder); !opened)
      return ErrorOf(opened) == FsError::kMissing ? Result() : opened;
    std::vector<std::string> children;
    if (Result listed = folder.List(&children); !listed) return listed;
    for (const std::string& child : children)
      if (Result gone = RemoveTreeAt(folder, child); !gone && first) first = gone;
  }  // closed first: an open folder cannot be removed on Windows
  if (!first) return first;
  removed = dir.RemoveEmptyFolder(name);
  return removed || ErrorOf(removed) == FsError::kMissing ? Result() : removed;
}

std::string JoinComponents(const std::vector<std::string>& components, size_t count) {
  if (count == 0) return ".";
  std::string path = components[0];
  for (size_t i = 1; i < count; ++i) path += "/" + components[i];
  return path;
}

std::vector<std::string> SplitComponents(const std::string& path) {
  std::vector<std::string> components;
  if (path == ".") return components;
  size_t start = 0;
  while (true) {
    const size_t slash = path.find('/', start);
    components.push_back(path.substr(start, slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return components;
}

}  // namespace platform
