#pragma once

#include <memory>
#include <string>

#include "platform/FolderHandle.h"

namespace platform {

// An exclusive lock on a file, held while the object lives. The system drops
// it when its holder ends, however it ends, so a lock that can be taken
// tells that whoever held the file is gone. It keeps nobody from reading,
// writing or deleting the file: only who asks for the lock is refused.
class FileLock {
 public:
  // Locks `path`, creating it empty when it is missing; null when the file
  // cannot be opened or someone else holds it.
  static std::unique_ptr<FileLock> Acquire(const std::string& path, bool create);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // While shared, a program this process starts holds the lock too, for as
  // long as it runs. Not on Windows, where a lock belongs to its process
  // alone; there a program's running image cannot be deleted anyway.
  void ShareWithChildren(bool share);
  // Deletes the locked file; the lock holds until the object goes. One who
  // waits for it finds the name gone once he has the lock, and starts over.
  void Unlink();

 private:
  FileLock(FileHandle file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}
  FileHandle file_;
  std::string path_;
};

}  // namespace platform
