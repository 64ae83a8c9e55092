#include "script/ScriptPaths.h"

#include "platform/Files.h"

bool IsScriptFile(const std::string& path) {
  return platform::IsRegularFile(path);
}

std::string InProgramFolder(const std::string& path, const std::string& programFolder) {
  if (platform::IsAbsolutePath(path)) return path;
  return programFolder + path;
}

std::optional<std::string> TreeToRemove(std::string path) {
  // Resolved as written: on Windows "C:\" without its backslash would name
  // the drive's current folder instead of its root.
  const std::string resolved = platform::ResolvedPath(path);
  if (resolved.empty() || platform::IsRootPath(resolved)) return std::nullopt;
  while (path.size() > 1 && platform::IsPathSeparator(path.back())) path.pop_back();
  // The removal would resolve "x/." through a link at x and empty the folder
  // behind it, so such a path is taken for the folder it names.
  size_t start = path.size();
  while (start > 0 && !platform::IsPathSeparator(path[start - 1])) --start;
  const std::string last = path.substr(start);
  if (last == "." || last == "..") return resolved;
  return path;
}
