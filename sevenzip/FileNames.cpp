#include "sevenzip/FileNames.h"

#include <algorithm>
#include <charconv>
#include <chrono>

#include "platform/LocaleUpper.h"
#include "platform/Text.h"

namespace {

constexpr uint64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;
constexpr double kDaysFrom1601To1899 = 109'205.0;  // 1601-01-01 .. 1899-12-30

}  // namespace

bool WideSameStr(const std::string& a, const std::string& b) {
  return a == b;
}

std::string WideUpper(const std::string& s) {
  return platform::InvariantUpper(s);
}

size_t WideLastDelimiter(const std::string& delimiters, const std::string& s) {
  const size_t at = s.find_last_of(delimiters);
  return at == std::string::npos ? 0 : at + 1;
}

std::string WideExtractFilePath(const std::string& s) {
  return s.substr(0, WideLastDelimiter(platform::kNameDelimiters, s));
}

std::string WideExtractFileName(const std::string& s) {
  return s.substr(WideLastDelimiter(platform::kNameDelimiters, s));
}

std::string WideExtractFileExt(const std::string& s) {
  const size_t at = WideLastDelimiter(std::string(".") + platform::kNameDelimiters, s);
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
  platform::PathInfo info;
  return platform::LookUpPath(s, true, &info) && info.kind == platform::EntryKind::kFolder;
}

int64_t WideFileInfo(const std::string& s, int64_t& size, uint64_t& mtime, uint32_t& attr) {
  platform::PathInfo info;
  if (!platform::LookUpPath(s, false, &info)) {
    size = -1;
    mtime = 0;
    attr = 0xFFFFFFFFu;
    return -1;
  }
  size = info.size;
  mtime = ToFileTimeTicks(info.modified);
  attr = info.attributes;
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
  // A drive, a share or the root counts as existing.
  if (s.empty() || platform::IsRootPath(s)) return true;
  if (!WideForceDirectories(WideParentDir(s), 0)) return false;
  const platform::Result made = platform::CreateFolderWithAttributes(s, attr);
  // Made meanwhile by someone else is as good.
  return made.ok() ||
         (platform::ErrorOf(made) == platform::FsError::kExists && WideDirectoryExists(s));
}

platform::Result WideCreateFile(const std::string& name, TFileAccess access,
                                TFileDisposition disposition, platform::PathFile* file) {
  return platform::PathFile::Open(name, access, disposition, file);
}

int64_t FileSize64(const platform::PathFile& file) {
  int64_t size = -1;
  if (!file.valid() || !file.Size(&size)) return -1;
  return size;
}

uint32_t FileSizeByName(const std::string& s) {
  platform::PathFile file;
  if (!WideCreateFile(s, TFileAccess::kRead, TFileDisposition::kOpenExisting, &file)) return 0;
  const int64_t size = FileSize64(file);
  return size < 0 ? 0 : static_cast<uint32_t>(size);
}

uint64_t ToFileTimeTicks(const platform::FileTime& time) {
  return static_cast<uint64_t>(time.seconds + kSecondsFrom1601To1970) * kTicksPerSecond +
         static_cast<uint64_t>(time.nanoseconds / 100);
}

platform::FileTime FromFileTimeTicks(uint64_t fileTime) {
  return {static_cast<int64_t>(fileTime / kTicksPerSecond) - kSecondsFrom1601To1970,
          static_cast<int32_t>(fileTime % kTicksPerSecond) * 100};
}

uint64_t FileTimeNow() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now);
  const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(now - seconds);
  return ToFileTimeTicks({seconds.count(), static_cast<int32_t>(nanoseconds.count())});
}

double FileTimeToDateTime(uint64_t fileTime, int direction) {
  const platform::FileTime time = FromFileTimeTicks(fileTime);
  int64_t seconds = time.seconds;
  if (direction != 0) {
    const int64_t offset = platform::LocalTimeOffset(seconds);
    seconds += direction > 0 ? offset : -offset;
  }
  const double ticks = static_cast<double>(seconds + kSecondsFrom1601To1970) * kTicksPerSecond +
                       static_cast<double>(time.nanoseconds / 100);
  return ticks / kTicksPerSecond / 86400.0 - kDaysFrom1601To1899;
}

void SortIndices(std::vector<uint32_t>& indices) {
  std::sort(indices.begin(), indices.end());
}

bool IsNotFixedDrive(const std::string& path) {
  return platform::IsOnRemovableDrive(path);
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
