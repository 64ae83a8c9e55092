#include "sevenzip/SafePath.h"

#include <climits>
#include <cstdlib>

#include "sevenzip/FileNames.h"

namespace {

// The absolute form of `path` with the links of its existing part resolved
// and "." components dropped.
std::string Resolve(const std::string& path) {
  std::string existing = path.empty() ? "." : WideExcludeBackslash(path);
  if (existing.empty()) existing = "/";
  std::string rest;
  char resolved[PATH_MAX];
  while (!realpath(existing.c_str(), resolved)) {
    const size_t cut = existing.find_last_of(kPathDelimiter);
    if (cut == std::string::npos) {
      rest = existing + (rest.empty() ? "" : "/" + rest);
      existing = ".";
      if (!realpath(existing.c_str(), resolved)) return {};
      break;
    }
    const std::string tail = existing.substr(cut + 1);
    if (!tail.empty() && tail != ".") rest = tail + (rest.empty() ? "" : "/" + rest);
    existing = cut == 0 ? "/" : existing.substr(0, cut);
  }
  std::string result = resolved;
  if (!rest.empty()) result = AddBackslash(result) + rest;
  return result;
}

}  // namespace

bool IsSafeStoredPath(const std::string& path) {
  if (path.empty() || path[0] == '/' || path[0] == '\\') return false;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = path.find_first_of("/\\", start);
    const std::string part = path.substr(start, end == std::string::npos ? end : end - start);
    if (part == "..") return false;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return true;
}

bool StaysInside(const std::string& base, const std::string& path) {
  const std::string root = Resolve(base);
  const std::string target = Resolve(path);
  if (root.empty() || target.empty()) return false;
  if (target == root) return true;
  return target.compare(0, AddBackslash(root).size(), AddBackslash(root)) == 0;
}
