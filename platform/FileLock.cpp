#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::unique_ptr<FileLock> FileLock::Acquire(const std::string& path, bool create) {
  // Read-only: a program cannot be started from a file open for writing.
  const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
  // Someone may delete the file between our open and our lock (a sweep that
  // took it for stale): then the lock would guard a name no longer there.
  for (int attempt = 0; attempt < 10; ++attempt) {
    UniqueFd fd(::open(path.c_str(), flags, 0644));
    if (!fd.valid() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return nullptr;
    struct stat held = {};
    struct stat named = {};
    if (::fstat(fd.get(), &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino)
      return std::unique_ptr<FileLock>(new FileLock(std::move(fd), path));
    if (!create) return nullptr;
  }
  return nullptr;
}

FileLock::~FileLock() = default;

void FileLock::Unlink() {
  ::unlink(path_.c_str());
}

void FileLock::ShareWithChildren(bool share) {
  const int flags = ::fcntl(fd_.get(), F_GETFD);
  if (flags < 0) return;
  ::fcntl(fd_.get(), F_SETFD, share ? (flags & ~FD_CLOEXEC) : (flags | FD_CLOEXEC));
}

}  // namespace platform
