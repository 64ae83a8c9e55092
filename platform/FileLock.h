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
  // Deletes the locked file; the lock holds until the object goes. One who
  // waits for it finds the name gone once he has the lock, and starts over.
  void Unlink();

 private:
  FileLock(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
  UniqueFd fd_;
  std::string path_;
};

}  // namespace platform
