#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Result.h"

// The file operations of the confined writer and the journal, one
// implementation per platform: entries are reached by one plain name inside
// an open folder, and a link (on Windows any reparse point) is never
// followed. The rules built on them (what is recorded before which change,
// the replay, the temporary names, the locks) live above, once.
namespace platform {

// What the rules above tell apart in a failure of this layer.
enum class FsError {
  kOther,
  kMissing,    // nothing of that name, or a folder on the way is gone
  kExists,     // something is there already
  kLink,       // a link where a folder was asked for: refused
  kFolder,     // a folder where a file was asked for
  kNotFolder,  // a file where a folder was asked for
  kBusy,       // a lock or an open handle of someone else is in the way
};
FsError ErrorOf(const Result& result);

// A refusal of the rules above, with this platform's code for `kind`.
Result Refused(FsError kind, const std::string& text);

// `why`'s code, with `what` before its text.
inline Result Because(const std::string& what, const Result& why) {
  return Result::Failure(why.code(), what + ": " + why.text());
}

// Ok for one name that can stand for itself inside a folder on this
// platform: not empty, no separator, not "." or "..", and nothing the system
// would read as something else (on Windows: a drive, a stream, a device
// name, trailing dots or blanks).
Result CheckName(const std::string& name);

enum class EntryKind { kFile, kFolder, kLink, kOther };

struct EntryInfo {
  EntryKind kind = EntryKind::kOther;
  // Permission bits as this platform has them (on Windows only the owner's
  // write bit means anything: the read-only attribute).
  uint32_t mode = 0;
};

// The bits the system takes away from a new file's or folder's: the umask
// here, nothing on Windows.
uint32_t CreationMask();

class FolderHandle;

// An open file of the writer or the journal; closed when it goes.
class FileHandle {
 public:
  FileHandle();
  ~FileHandle();
  FileHandle(FileHandle&& other) noexcept;
  FileHandle& operator=(FileHandle&& other) noexcept;

  bool valid() const;

  Result Write(const void* data, size_t size);
  Result WriteAt(const void* data, size_t size, int64_t offset);
  // The whole content, whatever the file position.
  Result ReadAll(std::string* content);
  Result Truncate(int64_t size);
  // Until the data is on the disk.
  Result Flush();
  // An exclusive lock, held until the file is closed, also when the process
  // ends however it ends; kBusy when someone else holds it.
  Result TryLock();
  // Permission bits, as EntryInfo::mode has them.
  Result SetPermissions(uint32_t mode);
  Result SetModified(const FileTime& modified);
  // While shared, a program this process starts holds the lock too, for as
  // long as it runs (POSIX; see the Windows form for what holds there).
  Result ShareLockWithChildren(bool share);
  // Whether `name` in `folder` (or the path) still is this file.
  bool IsNamed(const FolderHandle& folder, const std::string& name) const;
  bool IsNamed(const std::string& path) const;
  // Removes the file, which is `name` in `folder`, while it is open.
  Result RemoveFrom(const FolderHandle& folder, const std::string& name);
  // Closes now; a failure, for a file just written, can be the first sign
  // that its data is lost.
  Result Close();

  struct State;

 private:
  friend class FolderHandle;
  friend Result OpenLockFile(const std::string& path, bool create, FileHandle* file);
  std::unique_ptr<State> state_;
};

// An open folder; copies share it.
class FolderHandle {
 public:
  FolderHandle();
  ~FolderHandle();
  FolderHandle(const FolderHandle&);
  FolderHandle& operator=(const FolderHandle&);

  // `path` empty means the current folder. Links in `path` itself count,
  // as whoever named it meant them.
  static Result Open(const std::string& path, FolderHandle* folder);

  bool valid() const;

  // The folder `name` in this one; kLink when `name` is a link.
  Result OpenFolder(const std::string& name, FolderHandle* folder) const;
  // A new folder, with `mode`'s permission bits under the creation mask;
  // kExists when something is there.
  Result MakeFolder(const std::string& name, uint32_t mode) const;
  // What is there, without following a link; kMissing when nothing is.
  Result Look(const std::string& name, EntryInfo* info) const;
  // A new file open for reading and writing; kExists when something is there.
  Result CreateNew(const std::string& name, FileHandle* file) const;
  // An existing file open for reading and writing, never through a link.
  Result OpenFile(const std::string& name, FileHandle* file) const;
  // Renames `from` to `to` in this folder. Without `replace`, an entry
  // at `to` makes it fail with kExists.
  Result Rename(const std::string& from, const std::string& to, bool replace) const;
  // A file or a link, never what a link points to; kFolder for a folder.
  Result RemoveFile(const std::string& name) const;
  Result RemoveEmptyFolder(const std::string& name) const;
  Result List(std::vector<std::string>* names) const;
  Result Times(FileTime* accessed, FileTime* modified) const;
  Result SetTimes(const FileTime& accessed, const FileTime& modified) const;
  // Until the folder's entries are on the disk.
  Result Flush() const;
  // The folder's absolute path, valid from any current folder.
  Result AbsolutePath(std::string* path) const;

  struct State;

 private:
  friend class FileHandle;
  std::shared_ptr<const State> state_;
};

// `path`, created empty when `create` and missing, open for a FileLock.
Result OpenLockFile(const std::string& path, bool create, FileHandle* file);
// Removes the file at `path`; kMissing when nothing is there.
Result RemovePath(const std::string& path);

}  // namespace platform
