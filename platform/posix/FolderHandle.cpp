#include "platform/FolderHandle.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/FileDescriptor.h"

namespace platform {

struct FileHandle::State {
  UniqueFd fd;
};

struct FolderHandle::State {
  UniqueFd fd;
  std::string path;  // as opened, for AbsolutePath
};

namespace {

Result Errno() {
  const int code = errno;
  return Result::Failure(code, std::strerror(code));
}

Result Ok(bool done) {
  return done ? Result() : Errno();
}

std::unique_ptr<FileHandle::State> Adopt(int fd) {
  return std::make_unique<FileHandle::State>(FileHandle::State{UniqueFd(fd)});
}

FileTime FromTimespec(const timespec& t) {
  return {t.tv_sec, static_cast<int32_t>(t.tv_nsec)};
}

timespec ToTimespec(const FileTime& t) {
  return {static_cast<time_t>(t.seconds), t.nanoseconds};
}

// Each kind's code, the one Refused gives first; ErrorOf reads them all.
struct KindCode {
  FsError kind;
  int code;
};
constexpr KindCode kKindCodes[] = {
    {FsError::kMissing, ENOENT},   {FsError::kExists, EEXIST},     {FsError::kLink, ELOOP},
    {FsError::kFolder, EISDIR},    {FsError::kNotFolder, ENOTDIR}, {FsError::kBusy, EBUSY},
    {FsError::kBusy, EWOULDBLOCK},
};

}  // namespace

FsError ErrorOf(const Result& result) {
  if (result) return FsError::kOther;
  for (const KindCode& known : kKindCodes)
    if (known.code == result.code()) return known.kind;
  return FsError::kOther;
}

Result Refused(FsError kind, const std::string& text) {
  for (const KindCode& known : kKindCodes)
    if (known.kind == kind) return Result::Failure(known.code, text);
  return Result::Failure(EINVAL, text);
}

Result CheckName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
      name.find('\0') != std::string::npos)
    return Refused(FsError::kOther, "\"" + name + "\" is not a plain name");
  return {};
}

// The process's umask without changing it (umask() itself only sets it,
// which another thread could see).
uint32_t CreationMask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("Umask:", 0) == 0) return std::strtoul(line.c_str() + 6, nullptr, 8) & 0777;
  return 022;
}

FileHandle::FileHandle() = default;
FileHandle::~FileHandle() = default;
FileHandle::FileHandle(FileHandle&& other) noexcept = default;
FileHandle& FileHandle::operator=(FileHandle&& other) noexcept = default;

bool FileHandle::valid() const {
  return state_ && state_->fd.valid();
}

Result FileHandle::Write(const void* data, size_t size) {
  return Ok(WriteAll(state_->fd.get(), data, size));
}

Result FileHandle::WriteAt(const void* data, size_t size, int64_t offset) {
  return Ok(WriteAllAt(state_->fd.get(), data, size, offset));
}

Result FileHandle::ReadAll(std::string* content) {
  return Ok(platform::ReadAll(state_->fd.get(), content));
}

Result FileHandle::Truncate(int64_t size) {
  return Ok(::ftruncate(state_->fd.get(), static_cast<off_t>(size)) == 0);
}

Result FileHandle::Flush() {
  return Ok(::fdatasync(state_->fd.get()) == 0);
}

Result FileHandle::TryLock() {
  return Ok(::flock(state_->fd.get(), LOCK_EX | LOCK_NB) == 0);
}

Result FileHandle::SetPermissions(uint32_t mode) {
  return Ok(::fchmod(state_->fd.get(), mode & 0777) == 0);
}

Result FileHandle::SetModified(const FileTime& modified) {
  const timespec times[2] = {{0, UTIME_OMIT}, ToTimespec(modified)};
  return Ok(::futimens(state_->fd.get(), times) == 0);
}

Result FileHandle::ShareLockWithChildren(bool share) {
  const int fd = state_->fd.get();
  const int flags = ::fcntl(fd, F_GETFD);
  if (flags < 0) return Errno();
  return Ok(::fcntl(fd, F_SETFD, share ? (flags & ~FD_CLOEXEC) : (flags | FD_CLOEXEC)) == 0);
}

bool FileHandle::IsNamed(const FolderHandle& folder, const std::string& name) const {
  struct stat held, named;
  return ::fstat(state_->fd.get(), &held) == 0 &&
         ::fstatat(folder.state_->fd.get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

bool FileHandle::IsNamed(const std::string& path) const {
  struct stat held, named;
  return ::fstat(state_->fd.get(), &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

Result FileHandle::RemoveFrom(const FolderHandle& folder, const std::string& name) {
  return Ok(::unlinkat(folder.state_->fd.get(), name.c_str(), 0) == 0);
}

Result FileHandle::Close() {
  if (!state_) return {};
  const bool closed = state_->fd.Close();
  Result result = Ok(closed);
  state_.reset();
  return result;
}

FolderHandle::FolderHandle() = default;
FolderHandle::~FolderHandle() = default;
FolderHandle::FolderHandle(const FolderHandle&) = default;
FolderHandle& FolderHandle::operator=(const FolderHandle&) = default;

Result FolderHandle::Open(const std::string& path, FolderHandle* folder) {
  const std::string name = path.empty() ? "." : path;
  UniqueFd fd(::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return Errno();
  folder->state_ = std::make_shared<const State>(State{std::move(fd), name});
  return {};
}

bool FolderHandle::valid() const {
  return state_ && state_->fd.valid();
}

Result FolderHandle::OpenFolder(const std::string& name, FolderHandle* folder) const {
  const int dir = state_->fd.get();
  UniqueFd fd(::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.valid()) {
    // Linux says ENOTDIR for a link when it is asked for a folder.
    struct stat st;
    if (errno == ENOTDIR && ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(st.st_mode))
      errno = ELOOP;
    return Errno();
  }
  folder->state_ = std::make_shared<const State>(State{std::move(fd), state_->path + "/" + name});
  return {};
}

Result FolderHandle::MakeFolder(const std::string& name, uint32_t mode) const {
  return Ok(::mkdirat(state_->fd.get(), name.c_str(), mode & 0777) == 0);
}

Result FolderHandle::Look(const std::string& name, EntryInfo* info) const {
  struct stat st;
  if (::fstatat(state_->fd.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return Errno();
  info->kind = S_ISREG(st.st_mode)   ? EntryKind::kFile
               : S_ISDIR(st.st_mode) ? EntryKind::kFolder
               : S_ISLNK(st.st_mode) ? EntryKind::kLink
                                     : EntryKind::kOther;
  info->mode = st.st_mode & 0777;
  return {};
}

Result FolderHandle::CreateNew(const std::string& name, FileHandle* file) const {
  const int fd = ::openat(state_->fd.get(), name.c_str(),
                          O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return Errno();
  file->state_ = Adopt(fd);
  return {};
}

Result FolderHandle::OpenFile(const std::string& name, FileHandle* file) const {
  const int fd = ::openat(state_->fd.get(), name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return Errno();
  file->state_ = Adopt(fd);
  return {};
}

Result FolderHandle::Rename(const std::string& from, const std::string& to, bool replace) const {
  const int dir = state_->fd.get();
  if (replace) return Ok(::renameat(dir, from.c_str(), dir, to.c_str()) == 0);
  if (::renameat2(dir, from.c_str(), dir, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  if (errno != EINVAL) return Errno();
  // A file system without it: look first, which leaves a moment open.
  struct stat st;
  if (::fstatat(dir, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    errno = EEXIST;
    return Errno();
  }
  return Ok(::renameat(dir, from.c_str(), dir, to.c_str()) == 0);
}

Result FolderHandle::RemoveFile(const std::string& name) const {
  const int dir = state_->fd.get();
  if (::unlinkat(dir, name.c_str(), 0) == 0) return {};
  // EPERM is Linux's answer for a folder.
  struct stat st;
  if (errno == EPERM && ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISDIR(st.st_mode))
    errno = EISDIR;
  return Errno();
}

Result FolderHandle::RemoveEmptyFolder(const std::string& name) const {
  return Ok(::unlinkat(state_->fd.get(), name.c_str(), AT_REMOVEDIR) == 0);
}

Result FolderHandle::List(std::vector<std::string>* names) const {
  names->clear();
  const int listing = ::openat(state_->fd.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return Errno();
  DIR* entries = ::fdopendir(listing);
  if (!entries) {
    Result failed = Errno();
    ::close(listing);
    return failed;
  }
  // A listing cut short by an error must not pass for the whole folder.
  Result result;
  while (true) {
    errno = 0;
    const dirent* entry = ::readdir(entries);
    if (!entry) {
      if (errno != 0) result = Errno();
      break;
    }
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names->push_back(name);
  }
  ::closedir(entries);
  return result;
}

Result FolderHandle::Times(FileTime* accessed, FileTime* modified) const {
  struct stat st;
  if (::fstat(state_->fd.get(), &st) != 0) return Errno();
  *accessed = FromTimespec(st.st_atim);
  *modified = FromTimespec(st.st_mtim);
  return {};
}

Result FolderHandle::SetTimes(const FileTime& accessed, const FileTime& modified) const {
  const timespec times[2] = {ToTimespec(accessed), ToTimespec(modified)};
  return Ok(::futimens(state_->fd.get(), times) == 0);
}

Result FolderHandle::Flush() const {
  return Ok(::fsync(state_->fd.get()) == 0);
}

Result FolderHandle::AbsolutePath(std::string* path) const {
  char* resolved = ::realpath(state_->path.c_str(), nullptr);
  if (!resolved) return Errno();
  *path = resolved;
  std::free(resolved);
  return {};
}

Result OpenLockFile(const std::string& path, bool create, FileHandle* file) {
  // Read-only: a program cannot be started from a file open for writing.
  const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
  const int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) return Errno();
  file->state_ = Adopt(fd);
  return {};
}

Result RemovePath(const std::string& path) {
  return Ok(::unlink(path.c_str()) == 0);
}

}  // namespace platform
