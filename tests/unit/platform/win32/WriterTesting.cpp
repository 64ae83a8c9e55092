#include "tests/unit/platform/WriterTesting.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>

#include "platform/Text.h"
#include "tests/tools/FakeMain.h"

namespace writer_testing {

namespace {

// The entry itself, never what a reparse point leads to.
HANDLE OpenItself(const std::string& path, DWORD access) {
  return CreateFileW(platform::Utf8ToWide(path).c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// A mount point's reparse data (the layout of REPARSE_DATA_BUFFER, which
// mingw-w64 leaves to the driver kit).
struct MountPointData {
  DWORD ReparseTag;
  WORD ReparseDataLength;
  WORD Reserved;
  WORD SubstituteNameOffset;
  WORD SubstituteNameLength;
  WORD PrintNameOffset;
  WORD PrintNameLength;
  WCHAR PathBuffer[MAX_PATH * 2];
};

}  // namespace

uint32_t ModeOf(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(platform::Utf8ToWide(path).c_str());
  return (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
}

void SetMode(const std::string& path, uint32_t mode) {
  const std::wstring name = platform::Utf8ToWide(path);
  DWORD attributes = GetFileAttributesW(name.c_str());
  attributes =
      (mode & 0200) ? attributes & ~FILE_ATTRIBUTE_READONLY : attributes | FILE_ATTRIBUTE_READONLY;
  SetFileAttributesW(name.c_str(), attributes);
}

uint32_t Kept(uint32_t mode) {
  return (mode & 0200) ? 0666 : 0444;
}

void SetTimes(const std::string& path, int64_t seconds) {
  const HANDLE entry = OpenItself(path, FILE_WRITE_ATTRIBUTES);
  const uint64_t ticks = (static_cast<uint64_t>(seconds) + 11'644'473'600ull) * 10'000'000ull;
  const FILETIME accessed{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  const FILETIME modified{static_cast<DWORD>(ticks + 1), static_cast<DWORD>((ticks + 1) >> 32)};
  SetFileTime(entry, nullptr, &accessed, &modified);
  CloseHandle(entry);
}

int64_t ModifiedSeconds(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(platform::Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data);
  const uint64_t ticks = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                         data.ftLastWriteTime.dwLowDateTime;
  return static_cast<int64_t>(ticks / 10'000'000) - 11'644'473'600;
}

std::string Identity(const std::string& path) {
  const HANDLE entry = OpenItself(path, FILE_READ_ATTRIBUTES);
  BY_HANDLE_FILE_INFORMATION info{};
  GetFileInformationByHandle(entry, &info);
  CloseHandle(entry);
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) +
         ":" + std::to_string(info.nFileIndexLow);
}

// A folder's link is a junction, which needs no privilege. Wine 8 cannot make
// one (FSCTL_SET_REPARSE_POINT: ERROR_NOT_SUPPORTED; "mklink /J" in its cmd
// fails the same way); a file's symbolic link needs a privilege on Windows.
bool MakeLink(const std::string& link, const std::string& target, bool folder) {
  if (!folder) return false;
  const std::wstring name = platform::Utf8ToWide(link);
  wchar_t full[MAX_PATH];
  if (!GetFullPathNameW(platform::Utf8ToWide(target).c_str(), MAX_PATH, full, nullptr) ||
      !CreateDirectoryW(name.c_str(), nullptr))
    return false;
  const std::wstring substitute = std::wstring(L"\\??\\") + full;
  MountPointData data{};
  data.ReparseTag = IO_REPARSE_TAG_MOUNT_POINT;
  data.SubstituteNameLength = static_cast<WORD>(substitute.size() * sizeof(WCHAR));
  data.PrintNameOffset = static_cast<WORD>(data.SubstituteNameLength + sizeof(WCHAR));
  std::memcpy(data.PathBuffer, substitute.c_str(), data.SubstituteNameLength);
  data.ReparseDataLength = static_cast<WORD>(8 + data.PrintNameOffset + sizeof(WCHAR));
  const HANDLE entry = OpenItself(link, GENERIC_WRITE);
  DWORD returned = 0;
  const bool made = DeviceIoControl(entry, FSCTL_SET_REPARSE_POINT, &data,
                                    8 + data.ReparseDataLength, nullptr, 0, &returned, nullptr);
  CloseHandle(entry);
  if (!made) RemoveDirectoryW(name.c_str());
  return made;
}

std::shared_ptr<void> Undeletable(const std::string& path, const std::string& scratch,
                                  std::string* why, bool* possible) {
  *possible = true;
  const std::string holder = scratch + "\\holder.exe";
  std::filesystem::copy_file(Native(testing_tools::FakeMainPath()), Native(holder),
                             std::filesystem::copy_options::overwrite_existing);
  Write(holder + ".hold", path + "\n");
  std::filesystem::remove(Native(holder + ".holding"));
  return StartReady(holder, {}, scratch, holder + ".holding", "1", why);
}

}  // namespace writer_testing
