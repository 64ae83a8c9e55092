#include "platform/PathFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <fstream>

#include "platform/FileAttributes.h"
#include "platform/FileDescriptor.h"

namespace platform {

namespace {

Result Errno(int code) {
  return Result::Failure(code, std::strerror(code));
}

Result Errno() {
  return Errno(errno);
}

uint32_t AttributesFromMode(mode_t mode) {
  uint32_t attr = S_ISDIR(mode) ? kAttributeDirectory : kAttributeArchive;
  if ((mode & 0222) == 0) attr |= kAttributeReadOnly;
  return attr | kAttributeUnixExtension | (static_cast<uint32_t>(mode & 0xFFFF) << 16);
}

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string ParentOf(const std::string& path) {
  std::string s = path;
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  const size_t slash = s.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : s.substr(0, slash);
}

}  // namespace

Result PathFile::Open(const std::string& path, FileAccess access, FileDisposition disposition,
                      PathFile* file) {
  file->Close();
  if (path.empty()) return Errno(ENOENT);
  int flags = O_CLOEXEC | (access == FileAccess::kRead ? O_RDONLY : O_RDWR);
  // CreateAlways empties the file after it is open, and only when there is
  // something to empty: ext4 flushes a file truncated to nothing when it is
  // closed, which for our own fresh temporaries is pure cost.
  if (disposition == FileDisposition::kCreateAlways) flags |= O_CREAT;
  if (disposition == FileDisposition::kCreateNew) flags |= O_CREAT | O_EXCL;
  UniqueFd fd(open(path.c_str(), flags, 0666));
  if (!fd.valid()) return Errno();
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) return Errno();  // what it holds is unknown
  if (S_ISDIR(st.st_mode)) return Errno(EISDIR);
  if (disposition == FileDisposition::kCreateAlways && st.st_size > 0 &&
      ftruncate(fd.get(), 0) != 0)
    return Errno();
  file->handle_ = fd.release();
  return {};
}

Result PathFile::Size(int64_t* size) const {
  struct stat st {};
  if (fstat(static_cast<int>(handle_), &st) != 0) return Errno();
  *size = st.st_size;
  return {};
}

Result PathFile::ReadAt(void* data, size_t size, int64_t offset, size_t* got) const {
  *got = 0;
  auto* out = static_cast<char*>(data);
  while (*got < size) {
    const ssize_t count = pread(static_cast<int>(handle_), out + *got, size - *got,
                                offset + static_cast<int64_t>(*got));
    if (count < 0) {
      if (errno == EINTR) continue;
      return Errno();
    }
    if (count == 0) break;
    *got += static_cast<size_t>(count);
  }
  return {};
}

Result PathFile::WriteAt(const void* data, size_t size, int64_t offset) {
  if (!WriteAllAt(static_cast<int>(handle_), data, size, offset)) return Errno();
  return {};
}

Result PathFile::SetModified(const FileTime& modified) {
  const struct timespec times[2] = {{0, UTIME_OMIT},
                                    {static_cast<time_t>(modified.seconds), modified.nanoseconds}};
  if (futimens(static_cast<int>(handle_), times) != 0) return Errno();
  return {};
}

Result PathFile::SetPermissions(uint32_t mode) {
  if (fchmod(static_cast<int>(handle_), static_cast<mode_t>(mode & 0777)) != 0) return Errno();
  return {};
}

Result PathFile::CopyPermissionsFrom(const std::string& source) {
  struct stat st {};
  if (stat(source.c_str(), &st) != 0) return Errno();
  return SetPermissions(st.st_mode & 0777);
}

Result PathFile::Close() {
  if (!valid()) return {};
  UniqueFd fd(static_cast<int>(handle_));
  handle_ = kInvalid;
  if (!fd.Close()) return Errno();
  return {};
}

Result LookUpPath(const std::string& path, bool followLinks, PathInfo* info) {
  struct stat st {};
  if (path.empty()) return Errno(ENOENT);
  if ((followLinks ? stat(path.c_str(), &st) : lstat(path.c_str(), &st)) != 0) return Errno();
  info->kind = S_ISREG(st.st_mode)   ? EntryKind::kFile
               : S_ISDIR(st.st_mode) ? EntryKind::kFolder
               : S_ISLNK(st.st_mode) ? EntryKind::kLink
                                     : EntryKind::kOther;
  info->size = S_ISDIR(st.st_mode) ? 0 : st.st_size;
  info->modified = {st.st_mtim.tv_sec, static_cast<int32_t>(st.st_mtim.tv_nsec)};
  info->attributes = AttributesFromMode(st.st_mode);
  info->volume = st.st_dev;
  info->index = st.st_ino;
  return {};
}

Result CreateFolderWithAttributes(const std::string& path, uint32_t attributes) {
  if (mkdir(path.c_str(), 0777) != 0) return Errno();
  if (attributes != 0 && (attributes & kAttributeUnixExtension)) {
    // A folder must stay open to its owner, or the items inside it that the
    // archive holds could not be written.
    chmod(path.c_str(), PermissionsFromAttributes(attributes, 0777) | 0700);
  }
  return {};
}

Result RenameReplacing(const std::string& from, const std::string& to) {
  if (rename(from.c_str(), to.c_str()) != 0) return Errno();
  return {};
}

bool IsOnRemovableDrive(const std::string& path) {
  // The device that holds the nearest existing folder, looked up in the
  // kernel's block-device table: removable media say so there.
  std::string probe = path.empty() ? "." : path;
  struct stat st {};
  while (stat(probe.c_str(), &st) != 0) {
    const std::string parent = ParentOf(probe);
    if (parent.empty() || parent == probe) return false;
    probe = parent;
  }
  const std::string device =
      "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
  char resolved[PATH_MAX];
  if (!realpath(device.c_str(), resolved)) return false;  // not a block device
  const std::string dir = resolved;
  std::string removable = ReadFirstLine(dir + "/removable");
  if (removable.empty()) removable = ReadFirstLine(ParentOf(dir) + "/removable");
  return removable == "1";
}

int64_t LocalTimeOffset(int64_t utcSeconds) {
  const time_t t = static_cast<time_t>(utcSeconds);
  struct tm local {};
  if (!localtime_r(&t, &local)) return 0;
  return local.tm_gmtoff;
}

}  // namespace platform
