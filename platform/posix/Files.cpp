#include "platform/Files.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/FileDescriptor.h"
#include "platform/Temporaries.h"

namespace platform {

namespace {

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind(kPathSeparator);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool CopyContent(int in, int out, off_t size) {
  off_t offset = 0;
  while (offset < size) {
    const ssize_t n = ::sendfile(out, in, &offset, static_cast<size_t>(size - offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (n == 0) return true;  // the source shrank meanwhile
  }
  if (offset >= size) return true;
  // sendfile refused (some file systems): plain reads and writes.
  if (::lseek(in, offset, SEEK_SET) < 0) return false;
  std::vector<char> buffer(1 << 16);
  while (true) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (!WriteAll(out, buffer.data(), static_cast<size_t>(n))) return false;
  }
}

// A temporary file of the one scheme beside `target`, created empty with `mode`.
UniqueFd CreateTemporaryBeside(const std::string& target, uint32_t mode, std::string* tempPath) {
  const std::string folder = DirectoryOf(target) + kPathSeparator;
  const std::string name = target.substr(target.rfind(kPathSeparator) + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = folder + TemporaryName(name);
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.valid()) {
      ::fchmod(fd.get(), mode & 07777);
      *tempPath = path;
      return fd;
    }
    if (errno != EEXIST) break;
  }
  return UniqueFd();
}

bool FinishTemporary(UniqueFd& fd, const std::string& tempPath, const std::string& target) {
  const bool ok =
      ::fsync(fd.get()) == 0 && fd.Close() && ::rename(tempPath.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(tempPath.c_str());
  return ok;
}

}  // namespace

std::string ExecutablePath() {
  std::error_code ec;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : path.string();
}

std::string ProgramFolder() {
  return FolderOf(ExecutablePath());
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind(kPathSeparator);
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

bool SetCurrentDirectory(const std::string& path) {
  return !path.empty() && ::chdir(path.c_str()) == 0;
}

std::string CurrentDirectory() {
  std::error_code ec;
  const auto path = std::filesystem::current_path(ec);
  return ec ? std::string() : path.string();
}

bool FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectory(const std::string& path) {
  return !path.empty() && ::mkdir(path.c_str(), 0755) == 0;
}

bool CreateDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return DirectoryExists(path);
}

bool DeleteFile(const std::string& path) {
  struct stat st;
  if (path.empty() || ::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(path.c_str()) == 0;
}

bool RemoveTree(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
  return !ec;
}

bool FileSize(const std::string& path, int64_t* size) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
  *size = st.st_size;
  return true;
}

bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (!in.valid() || ::fstat(in.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : 0);
  UniqueFd out(::open(to.c_str(), flags, st.st_mode & 0777));
  if (!out.valid()) return false;
  // Truncating only after this check: a file copied onto itself keeps its content.
  struct stat target;
  if (::fstat(out.get(), &target) != 0 ||
      (target.st_dev == st.st_dev && target.st_ino == st.st_ino))
    return false;
  if (::ftruncate(out.get(), 0) != 0) return false;
  if (!CopyContent(in.get(), out.get(), st.st_size)) return false;
  ::fchmod(out.get(), st.st_mode & 0777);
  return out.Close();
}

bool CopyFileAtomic(const std::string& from, const std::string& to) {
  UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (!in.valid() || ::fstat(in.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  std::string temp;
  UniqueFd out = CreateTemporaryBeside(to, st.st_mode & 0777, &temp);
  if (!out.valid()) return false;
  if (!CopyContent(in.get(), out.get(), st.st_size)) {
    ::unlink(temp.c_str());
    return false;
  }
  return FinishTemporary(out, temp, to);
}

bool CopyOverProgram(const std::string& from, const std::string& to) {
  // A rename replaces a running program's file here.
  return CopyFileAtomic(from, to);
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EXDEV) return false;
  if (!CopyFile(from, to, /*failIfExists=*/true)) return false;
  return ::unlink(from.c_str()) == 0;
}

bool ReadFile(const std::string& path, std::string* content) {
  UniqueFd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (!in.valid() || ::fstat(in.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ReadAll(in.get(), content);
}

bool MakeOwnerExecutable(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IXUSR) == 0;
}

}  // namespace platform
