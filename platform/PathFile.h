#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/FolderHandle.h"
#include "platform/Result.h"

// Files reached by their path, as the 7z component's streams use them: read
// and written at given offsets, so that no file position is shared between
// calls. Failures carry the system's code (errno, or GetLastError on
// Windows), which the component hands on as its LastError.
namespace platform {

enum class FileAccess { kRead, kReadWrite };
enum class FileDisposition {
  kOpenExisting,
  kCreateAlways,  // created, or an existing file emptied
  kCreateNew,     // fails when something is there
};

class PathFile {
 public:
  PathFile() = default;
  ~PathFile() { Close(); }
  PathFile(PathFile&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }
  PathFile& operator=(PathFile&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.handle_;
      other.handle_ = kInvalid;
    }
    return *this;
  }
  PathFile(const PathFile&) = delete;
  PathFile& operator=(const PathFile&) = delete;

  // For reading, others may read the file meanwhile; for writing, no one
  // else may open it (on Windows; Linux has no such sharing rules). A folder
  // is never opened as a file.
  static Result Open(const std::string& path, FileAccess access, FileDisposition disposition,
                     PathFile* file);

  bool valid() const { return handle_ != kInvalid; }
  Result Size(int64_t* size) const;
  // Up to `size` bytes at `offset`; fewer only where the file ends.
  Result ReadAt(void* data, size_t size, int64_t offset, size_t* got) const;
  Result WriteAt(const void* data, size_t size, int64_t offset);
  Result SetModified(const FileTime& modified);
  // Permission bits as EntryInfo::mode has them (on Windows the owner's
  // write bit is the read-only attribute).
  Result SetPermissions(uint32_t mode);
  // The bits of the file `source` onto this one (on Windows there are none
  // that matter for running it).
  Result CopyPermissionsFrom(const std::string& source);
  // Closes now; a failure, for a file just written, can be the first sign
  // that its data is lost.
  Result Close();

 private:
  static constexpr intptr_t kInvalid = -1;  // -1 is INVALID_HANDLE_VALUE too
  intptr_t handle_ = kInvalid;
};

// What a path names, looked up as the component's file routines need it.
struct PathInfo {
  EntryKind kind = EntryKind::kOther;
  int64_t size = 0;  // 0 for a folder
  FileTime modified;
  // The Windows attribute word (on Linux made from the mode, with the Unix
  // bits above the 0x8000 marker as the codec stores them).
  uint32_t attributes = 0;
  // Which file it is, whatever name reaches it.
  uint64_t volume = 0;
  uint64_t index = 0;
};
// `followLinks` false looks at a link (on Windows any reparse point) itself.
Result LookUpPath(const std::string& path, bool followLinks, PathInfo* info);
// Creates one folder and, with a non-zero `attributes`, gives it those (on
// Linux only a word with the Unix bits gives their permission bits, and the
// owner keeps its access).
Result CreateFolderWithAttributes(const std::string& path, uint32_t attributes);
// Renames `from` over `to`, replacing a file of that name.
Result RenameReplacing(const std::string& from, const std::string& to);
// Whether `path` lies on anything but a fixed disk.
bool IsOnRemovableDrive(const std::string& path);
// Seconds the local time is ahead of UTC at the moment `utcSeconds`.
int64_t LocalTimeOffset(int64_t utcSeconds);

}  // namespace platform
