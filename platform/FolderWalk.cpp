#include "platform/FolderWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

UniqueFd OpenFolderAt(int dir, const std::string& name) {
  UniqueFd folder(::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  // Linux says ENOTDIR for a link when it is asked for a folder.
  struct stat st;
  if (!folder.valid() && errno == ENOTDIR &&
      ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
    errno = ELOOP;
  return folder;
}

UniqueFd OpenFolderPath(int dir, const std::vector<std::string>& components) {
  UniqueFd current(::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  for (const std::string& name : components) {
    if (!current.valid()) break;
    current = OpenFolderAt(current.get(), name);
  }
  return current;
}

bool RemoveTreeAt(int dir, const std::string& name) {
  if (::unlinkat(dir, name.c_str(), 0) == 0 || errno == ENOENT) return true;
  if (errno != EISDIR && errno != EPERM) return false;  // EPERM: Linux's answer for a folder
  UniqueFd folder = OpenFolderAt(dir, name);
  if (!folder.valid()) return errno == ENOENT;
  const int listing = ::dup(folder.get());
  DIR* entries = listing < 0 ? nullptr : ::fdopendir(listing);
  if (!entries) {
    if (listing >= 0) ::close(listing);
    return false;
  }
  bool ok = true;
  while (const dirent* entry = ::readdir(entries)) {
    const std::string child = entry->d_name;
    if (child == "." || child == "..") continue;
    ok = RemoveTreeAt(folder.get(), child) && ok;
  }
  ::closedir(entries);
  return ok && (::unlinkat(dir, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT);
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
