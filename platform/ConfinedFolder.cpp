#include "platform/ConfinedFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/ProcessExists.h"

namespace platform {

namespace {

std::string Describe(const std::string& what, const std::string& name) {
  return what + " \"" + name + "\": " + std::strerror(errno);
}

std::atomic<unsigned> temporaryCounter{0};

bool AllDigits(const std::string& text, size_t from, size_t to) {
  if (from >= to) return false;
  for (size_t i = from; i < to; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

// The writer's process id in a temporary name of ours (".~", the target,
// ".", the id, ".", a counter), 0 for any other name.
pid_t TemporaryOwner(const std::string& name) {
  if (name.rfind(".~", 0) != 0) return 0;
  const size_t counterDot = name.rfind('.');
  if (counterDot == std::string::npos || counterDot < 3) return 0;
  const size_t pidDot = name.rfind('.', counterDot - 1);
  if (pidDot == std::string::npos || pidDot < 2 || counterDot - pidDot - 1 > 9) return 0;
  if (!AllDigits(name, pidDot + 1, counterDot) || !AllDigits(name, counterDot + 1, name.size()))
    return 0;
  return static_cast<pid_t>(std::stol(name.substr(pidDot + 1, counterDot - pidDot - 1)));
}

// A process killed while it wrote an entry leaves its temporary file behind,
// as large as the entry, and nothing else would ever remove it. Those of
// processes that are gone are removed from a folder before we write there.
void SweepStaleTemporaries(int dir) {
  const int listing = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return;
  DIR* entries = ::fdopendir(listing);
  if (!entries) {
    ::close(listing);
    return;
  }
  while (const dirent* entry = ::readdir(entries)) {
    const pid_t owner = TemporaryOwner(entry->d_name);
    if (owner <= 0 || static_cast<uint32_t>(owner) == CurrentProcessId()) continue;
    // A process that still exists, even one we may not signal, keeps its file.
    if (ProcessExists(static_cast<uint32_t>(owner))) continue;
    ::unlinkat(dir, entry->d_name, 0);
  }
  ::closedir(entries);
}

}  // namespace

bool SplitEntryPath(const std::string& name, std::vector<std::string>* components) {
  components->clear();
  if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
  std::string part;
  const auto flush = [&]() {
    if (part == "..") return false;
    if (!part.empty() && part != ".") components->push_back(part);
    part.clear();
    return true;
  };
  for (char c : name) {
    if (c == '/' || c == '\\') {
      if (!flush()) return false;
    } else if (c == '\0') {
      return false;
    } else {
      part += c;
    }
  }
  return flush();
}

PendingFile::PendingFile(int dirFd, int fd, std::string tempName, std::string targetName)
    : dirFd_(dirFd), fd_(fd), tempName_(std::move(tempName)), targetName_(std::move(targetName)) {}

PendingFile::~PendingFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_) ::unlinkat(dirFd_, tempName_.c_str(), 0);
  ::close(dirFd_);
}

bool PendingFile::Write(const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = Describe("cannot write", targetName_);
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool PendingFile::Commit(std::optional<uint32_t> mode, std::optional<timespec> modified) {
  uint32_t bits = 0644;
  struct stat existing;
  if (mode)
    bits = *mode & 0777;
  else if (::fstatat(dirFd_, targetName_.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(existing.st_mode))
    bits = existing.st_mode & 0777;
  if (::fchmod(fd_, bits) != 0) {
    error_ = Describe("cannot set permissions of", targetName_);
    return false;
  }
  if (modified) {
    const timespec times[2] = {{0, UTIME_OMIT}, *modified};
    ::futimens(fd_, times);  // a time that cannot be set never fails the entry
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    error_ = Describe("cannot write", targetName_);
    return false;
  }
  if (::renameat(dirFd_, tempName_.c_str(), dirFd_, targetName_.c_str()) != 0) {
    error_ = Describe("cannot replace", targetName_);
    return false;
  }
  committed_ = true;
  return true;
}

std::unique_ptr<ConfinedFolder> ConfinedFolder::Open(const std::string& base, std::string* error) {
  const std::string path = base.empty() ? "." : base;
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    *error = Describe("cannot open folder", path);
    return nullptr;
  }
  return std::unique_ptr<ConfinedFolder>(new ConfinedFolder(fd));
}

ConfinedFolder::~ConfinedFolder() {
  ::close(fd_);
}

int ConfinedFolder::OpenFolders(const std::vector<std::string>& components, size_t count,
                                std::string* error) {
  int current = ::dup(fd_);
  for (size_t i = 0; i < count && current >= 0; ++i) {
    const char* name = components[i].c_str();
    if (::mkdirat(current, name, 0755) != 0 && errno != EEXIST) {
      *error = Describe("cannot create folder", components[i]);
      ::close(current);
      return -1;
    }
    // O_NOFOLLOW: a link in the way is refused, never followed.
    const int next = ::openat(current, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) *error = Describe("cannot enter folder", components[i]);
    ::close(current);
    current = next;
  }
  return current;
}

bool ConfinedFolder::CreateFolders(const std::vector<std::string>& components, std::string* error) {
  const int fd = OpenFolders(components, components.size(), error);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::unique_ptr<PendingFile> ConfinedFolder::CreateFile(const std::vector<std::string>& components,
                                                        std::string* error) {
  if (components.empty()) {
    *error = "empty file name";
    return nullptr;
  }
  const int dir = OpenFolders(components, components.size() - 1, error);
  if (dir < 0) return nullptr;
  const std::string& target = components.back();
  std::string folder;
  for (size_t i = 0; i + 1 < components.size(); ++i) folder += components[i] + "/";
  if (swept_.insert(folder).second) SweepStaleTemporaries(dir);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temp = ".~" + target.substr(0, 200) + "." + std::to_string(::getpid()) + "." +
                             std::to_string(temporaryCounter++);
    const int fd = ::openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) return std::unique_ptr<PendingFile>(new PendingFile(dir, fd, temp, target));
    if (errno != EEXIST) break;
  }
  *error = Describe("cannot create", target);
  ::close(dir);
  return nullptr;
}

}  // namespace platform
