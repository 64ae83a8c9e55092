#include "platform/FileLock.h"

namespace platform {

std::unique_ptr<FileLock> FileLock::Acquire(const std::string& path, bool create) {
  // Someone may delete the file between our open and our lock (a sweep that
  // took it for stale): then the lock would guard a name no longer there.
  for (int attempt = 0; attempt < 10; ++attempt) {
    FileHandle file;
    if (!OpenLockFile(path, create, &file) || !file.TryLock()) return nullptr;
    if (file.IsNamed(path)) return std::unique_ptr<FileLock>(new FileLock(std::move(file), path));
    if (!create) return nullptr;
  }
  return nullptr;
}

FileLock::~FileLock() = default;

void FileLock::Unlink() {
  RemovePath(path_);
}

void FileLock::ShareWithChildren(bool share) {
  file_.ShareLockWithChildren(share);
}

}  // namespace platform
