#include "sevenzip/FileNames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unicode/ustring.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <ctime>
#include <fstream>

#include "platform/Text.h"

namespace {

constexpr uint64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;
constexpr double kDaysFrom1601To1899 = 109'205.0;  // 1601-01-01 .. 1899-12-30

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

}  // namespace

bool WideSameStr(const std::string& a, const std::string& b) {
  return a == b;
}

std::string WideUpper(const std::string& s) {
  const std::u16string text = platform::Utf8ToUtf16(s);
  if (text.empty()) return s;
  // A full mapping can grow the text (ß -> SS); ask for the size first.
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length =
      u_strToUpper(nullptr, 0, text.data(), static_cast<int32_t>(text.size()), "", &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return s;
  std::u16string upper(static_cast<size_t>(length), u'\0');
  status = U_ZERO_ERROR;
  u_strToUpper(upper.data(), length, text.data(), static_cast<int32_t>(text.size()), "", &status);
  if (U_FAILURE(status)) return s;
  return platform::Utf16ToUtf8(upper);
}

size_t WideLastDelimiter(const std::string& delimiters, const std::string& s) {
  const size_t at = s.find_last_of(delimiters);
  return at == std::string::npos ? 0 : at + 1;
}

std::string WideExtractFilePath(const std::string& s) {
  return s.substr(0, WideLastDelimiter(std::string(1, kPathDelimiter), s));
}

std::string WideExtractFileName(const std::string& s) {
  return s.substr(WideLastDelimiter(std::string(1, kPathDelimiter), s));
}

std::string WideExtractFileExt(const std::string& s) {
  const size_t at = WideLastDelimiter(std::string(".") + kPathDelimiter, s);
  if (at == 0 || s[at - 1] != '.') return {};
  return s.substr(at - 1);
}

std::string WideChangeFileExt(const std::string& s, const std::string& ext) {
  return s.substr(0, s.size() - WideExtractFileExt(s).size()) + ext;
}

void WideStripPath(std::string& s) {
  const size_t at = WideLastDelimiter(std::string(1, kPathDelimiter), s);
  if (at > 0) s.erase(0, at);
}

std::string WideExcludeBackslash(const std::string& s) {
  if (!s.empty() && s.back() == kPathDelimiter) return s.substr(0, s.size() - 1);
  return s;
}

std::string WideParentDir(const std::string& s) {
  return WideExtractFilePath(WideExcludeBackslash(s));
}

std::string AddBackslash(const std::string& s) {
  if (s.empty() || s.back() == kPathDelimiter) return s;
  return s + kPathDelimiter;
}

bool WideDirectoryExists(const std::string& s) {
  struct stat st {};
  return !s.empty() && stat(s.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

uint32_t AttributesFromMode(mode_t mode) {
  uint32_t attr = S_ISDIR(mode) ? 0x10u : 0x20u;
  if ((mode & 0222) == 0) attr |= 0x01;  // read-only
  return attr | 0x8000u | (static_cast<uint32_t>(mode & 0xFFFF) << 16);
}

mode_t PermissionsFromAttributes(uint32_t attr, mode_t fallback) {
  const mode_t stored = static_cast<mode_t>(attr >> 16);
  const mode_t type = stored & S_IFMT;
  // A link's 0777 says nothing about the file that stands for it here.
  if ((attr & 0x8000u) == 0 || (type != 0 && type != S_IFREG && type != S_IFDIR))
    return (attr & 0x01) ? (fallback & 0555) : fallback;
  return stored & 0777;
}

int64_t WideFileInfo(const std::string& s, int64_t& size, uint64_t& mtime, uint32_t& attr) {
  struct stat st {};
  if (s.empty() || lstat(s.c_str(), &st) != 0) {
    size = -1;
    mtime = 0;
    attr = 0xFFFFFFFFu;
    return -1;
  }
  size = S_ISDIR(st.st_mode) ? 0 : st.st_size;
  mtime = UnixToFileTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  attr = AttributesFromMode(st.st_mode);
  return size;
}

bool WideFileExists(const std::string& s) {
  int64_t size;
  uint64_t mtime;
  uint32_t attr;
  return WideFileInfo(s, size, mtime, attr) >= 0;
}

bool WideForceDirectories(const std::string& path, uint32_t attr) {
  if (path.empty()) return true;
  const std::string s = WideExcludeBackslash(path);
  if (WideDirectoryExists(s)) return true;
  if (s.empty()) return true;  // the root
  bool ok = WideForceDirectories(WideParentDir(s), 0) && mkdir(s.c_str(), 0777) == 0;
  if (!ok && errno == EEXIST) return WideDirectoryExists(s);
  if (ok && attr != 0 && (attr & 0x8000u)) {
    // A folder must stay open to its owner, or the items inside it that the
    // archive holds could not be written.
    chmod(s.c_str(), PermissionsFromAttributes(attr, 0777) | 0700);
  }
  return ok;
}

int WideCreateFile(const std::string& name, TFileAccess access, TFileDisposition disposition,
                   mode_t mode) {
  int flags = O_CLOEXEC | (access == TFileAccess::Read ? O_RDONLY : O_RDWR);
  // CreateAlways empties the file after it is open, and only when there is
  // something to empty: ext4 flushes a file truncated to nothing when it is
  // closed, which for our own fresh temporaries is pure cost.
  if (disposition == TFileDisposition::CreateAlways) flags |= O_CREAT;
  if (disposition == TFileDisposition::CreateNew) flags |= O_CREAT | O_EXCL;
  if (name.empty()) {
    errno = ENOENT;
    return kInvalidHandle;
  }
  const int fd = open(name.c_str(), flags, mode);
  if (fd < 0) return kInvalidHandle;
  struct stat st {};
  int error = 0;
  if (fstat(fd, &st) != 0) {
    error = errno;  // what it holds is unknown, so it could not be emptied
  } else if (S_ISDIR(st.st_mode)) {
    error = EISDIR;
  } else if (disposition == TFileDisposition::CreateAlways && st.st_size > 0 &&
             ftruncate(fd, 0) != 0) {
    error = errno;
  }
  if (error != 0) {
    close(fd);
    errno = error;
    return kInvalidHandle;
  }
  return fd;
}

int64_t FileSeek64(int handle, int origin, int64_t distance) {
  const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
  return lseek(handle, distance, whence);
}

uint32_t FileSizeByName(const std::string& s) {
  const int fd = WideCreateFile(s, TFileAccess::Read, TFileDisposition::OpenExisting);
  if (fd < 0) return 0;
  const int64_t size = FileSeek64(fd, 2, 0);
  close(fd);
  return size < 0 ? 0 : static_cast<uint32_t>(size);
}

uint64_t UnixToFileTime(int64_t seconds, int64_t nanoseconds) {
  return static_cast<uint64_t>(seconds + kSecondsFrom1601To1970) * kTicksPerSecond +
         static_cast<uint64_t>(nanoseconds / 100);
}

bool FileTimeToUnix(uint64_t fileTime, int64_t& seconds, int64_t& nanoseconds) {
  seconds = static_cast<int64_t>(fileTime / kTicksPerSecond) - kSecondsFrom1601To1970;
  nanoseconds = static_cast<int64_t>(fileTime % kTicksPerSecond) * 100;
  return true;
}

double FileTimeToDateTime(uint64_t fileTime, int direction) {
  int64_t seconds, nanoseconds;
  FileTimeToUnix(fileTime, seconds, nanoseconds);
  if (direction != 0) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm local {};
    if (localtime_r(&t, &local)) seconds += direction > 0 ? local.tm_gmtoff : -local.tm_gmtoff;
  }
  const double ticks = static_cast<double>(seconds + kSecondsFrom1601To1970) * kTicksPerSecond +
                       static_cast<double>(nanoseconds / 100);
  return ticks / kTicksPerSecond / 86400.0 - kDaysFrom1601To1899;
}

void SortIndices(std::vector<uint32_t>& indices) {
  std::sort(indices.begin(), indices.end());
}

bool IsNotFixedDrive(const std::string& path) {
  // The device that holds the nearest existing folder, looked up in the
  // kernel's block-device table: removable media say so there.
  std::string probe = path.empty() ? "." : path;
  struct stat st {};
  while (stat(probe.c_str(), &st) != 0) {
    const std::string parent = WideParentDir(probe);
    if (parent.empty() || parent == probe) return false;
    probe = parent;
  }
  const std::string device =
      "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
  char resolved[PATH_MAX];
  if (!realpath(device.c_str(), resolved)) return false;  // not a block device
  const std::string dir = resolved;
  std::string removable = ReadFirstLine(dir + "/removable");
  if (removable.empty()) removable = ReadFirstLine(WideParentDir(dir) + "removable");
  return removable == "1";
}

bool TryParseInt(const std::string& s, int32_t& n) {
  if (s.empty()) return false;
  const char* begin = s.data();
  if (*begin == '+') ++begin;
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(begin, s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size()) return false;
  n = value;
  return true;
}
