#pragma once

#include <memory>
#include <string>

#include "platform/FileDescriptor.h"

namespace platform {

// An advisory, exclusive lock on a file, held while the object lives. The
// system drops it when its holders end, however they end, so a lock that
// can be taken tells that whoever held the file is gone.
class FileLock {
 public:
  // Locks `path`, creating it empty when it is missing; null when the file
  // cannot be opened or someone else holds it.
  static std::unique_ptr<FileLock> Acquire(const std::string& path, bool create);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // While shared, a program this process starts holds the lock too, for as
  // long as it runs.
  void ShareWithChildren(bool share);

 private:
  explicit FileLock(UniqueFd fd) : fd_(std::move(fd)) {}
  UniqueFd fd_;
};

}  // namespace platform
