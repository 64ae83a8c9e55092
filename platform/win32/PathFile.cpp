#include "platform/PathFile.h"

#include <algorithm>

#include "platform/FileAttributes.h"
#include "platform/Text.h"
#include "platform/win32/FileDescriptor.h"
#include "platform/win32/FileTimes.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinApi.h"
#include "platform/win32/WinError.h"

namespace platform {

namespace {

HANDLE AsHandle(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

std::wstring Wide(const std::string& path) {
  return Utf8ToWide(path);
}

// The attribute bits a folder may be given; the others describe what it is.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

}  // namespace

Result PathFile::Open(const std::string& path, FileAccess access, FileDisposition disposition,
                      PathFile* file) {
  file->Close();
  if (path.empty()) return ErrorResult(ERROR_FILE_NOT_FOUND);
  const bool read = access == FileAccess::kRead;
  const DWORD creation = disposition == FileDisposition::kOpenExisting   ? OPEN_EXISTING
                         : disposition == FileDisposition::kCreateAlways ? CREATE_ALWAYS
                                                                         : CREATE_NEW;
  // A folder cannot be opened without FILE_FLAG_BACKUP_SEMANTICS: it is
  // refused with ERROR_ACCESS_DENIED.
  const HANDLE handle =
      ::CreateFileW(Wide(path).c_str(), read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                    read ? FILE_SHARE_READ : 0, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastErrorResult();
  file->handle_ = reinterpret_cast<intptr_t>(handle);
  return {};
}

Result PathFile::Size(int64_t* size) const {
  LARGE_INTEGER value;
  if (!::GetFileSizeEx(AsHandle(handle_), &value)) return LastErrorResult();
  *size = value.QuadPart;
  return {};
}

Result PathFile::ReadAt(void* data, size_t size, int64_t offset, size_t* got) const {
  *got = 0;
  auto* out = static_cast<char*>(data);
  while (*got < size) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - *got, 1u << 30));
    const uint64_t at = static_cast<uint64_t>(offset) + *got;
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(at);
    position.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD count = 0;
    if (!::ReadFile(AsHandle(handle_), out + *got, chunk, &count, &position)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) break;
      return LastErrorResult();
    }
    if (count == 0) break;
    *got += count;
  }
  return {};
}

Result PathFile::WriteAt(const void* data, size_t size, int64_t offset) {
  return LastErrorUnless(WriteAllAt(AsHandle(handle_), data, size, offset));
}

Result PathFile::SetModified(const FileTime& modified) {
  const FILETIME time = ToWindowsFileTime(modified);
  return LastErrorUnless(::SetFileTime(AsHandle(handle_), nullptr, nullptr, &time));
}

Result PathFile::SetPermissions(uint32_t mode) {
  FILE_BASIC_INFO info{};
  if (!::GetFileInformationByHandleEx(AsHandle(handle_), FileBasicInfo, &info, sizeof info))
    return LastErrorResult();
  DWORD attributes = (mode & 0200) ? info.FileAttributes & ~FILE_ATTRIBUTE_READONLY
                                   : info.FileAttributes | FILE_ATTRIBUTE_READONLY;
  if (attributes == info.FileAttributes) return {};
  FILE_BASIC_INFO change{};  // zero times leave the times alone
  change.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
  return LastErrorUnless(
      ::SetFileInformationByHandle(AsHandle(handle_), FileBasicInfo, &change, sizeof change));
}

// Windows runs any file it can read: no bit makes a copy a program.
Result PathFile::CopyPermissionsFrom(const std::string&) {
  return {};
}

Result PathFile::Close() {
  if (!valid()) return {};
  const HANDLE handle = AsHandle(handle_);
  handle_ = kInvalid;
  return LastErrorUnless(::CloseHandle(handle));
}

Result LookUpPath(const std::string& path, bool followLinks, PathInfo* info) {
  if (path.empty()) return ErrorResult(ERROR_FILE_NOT_FOUND);
  // Asking for attributes only meets no one's sharing rules: a file that
  // another process holds without sharing is found as well.
  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
  if (!followLinks) flags |= FILE_FLAG_OPEN_REPARSE_POINT;
  const UniqueHandle handle(::CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, flags, nullptr));
  if (!handle.valid()) return LastErrorResult();
  BY_HANDLE_FILE_INFORMATION file{};
  if (!::GetFileInformationByHandle(handle.get(), &file)) return LastErrorResult();
  const DWORD attributes = file.dwFileAttributes;
  info->kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !followLinks ? EntryKind::kLink
               : (attributes & FILE_ATTRIBUTE_DIRECTORY)                   ? EntryKind::kFolder
                                                                           : EntryKind::kFile;
  info->size = (attributes & FILE_ATTRIBUTE_DIRECTORY)
                   ? 0
                   : static_cast<int64_t>(uint64_t{file.nFileSizeHigh} << 32 | file.nFileSizeLow);
  info->modified = FromWindowsFileTime(file.ftLastWriteTime);
  info->attributes = attributes;
  info->volume = file.dwVolumeSerialNumber;
  info->index = uint64_t{file.nFileIndexHigh} << 32 | file.nFileIndexLow;
  return {};
}

Result CreateFolderWithAttributes(const std::string& path, uint32_t attributes) {
  if (!::CreateDirectoryW(Wide(path).c_str(), nullptr)) return LastErrorResult();
  const DWORD settable = attributes & kSettableAttributes;
  if (settable != 0) ::SetFileAttributesW(Wide(path).c_str(), settable);
  return {};
}

Result RenameReplacing(const std::string& from, const std::string& to) {
  return LastErrorUnless(::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

bool IsOnRemovableDrive(const std::string& path) {
  const std::wstring wide = Wide(path.empty() ? "." : path);
  std::wstring full(MAX_PATH, L'\0');
  const DWORD length =
      ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return false;
  wchar_t root[MAX_PATH + 1] = {};
  if (!::GetVolumePathNameW(full.c_str(), root, MAX_PATH)) return false;
  return ::GetDriveTypeW(root) != DRIVE_FIXED;
}

int64_t LocalTimeOffset(int64_t utcSeconds) {
  // The rules of the time zone at that moment, not today's bias.
  const FILETIME utc = ToWindowsFileTime({utcSeconds, 0});
  SYSTEMTIME utcTime, localTime;
  FILETIME local;
  if (!::FileTimeToSystemTime(&utc, &utcTime) ||
      !::SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &localTime) ||
      !::SystemTimeToFileTime(&localTime, &local))
    return 0;
  return FromWindowsFileTime(local).seconds - utcSeconds;
}

}  // namespace platform
