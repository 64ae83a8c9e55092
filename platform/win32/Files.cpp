#include "platform/Files.h"

#include <vector>

#include "platform/Temporaries.h"
#include "platform/Text.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinApi.h"

namespace platform {

namespace {

std::wstring Wide(const std::string& path) {
  return Utf8ToWide(path);
}

DWORD Attributes(const std::string& path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(Wide(path).c_str());
}

size_t LastSeparator(const std::string& path) {
  return path.find_last_of("\\/");
}

std::string NameOf(const std::string& path) {
  const size_t separator = LastSeparator(path);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

UniqueHandle OpenForReading(const std::string& path, DWORD share) {
  return UniqueHandle(::CreateFileW(Wide(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

std::string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return WideToUtf8(path);
    }
    path.resize(path.size() * 2);  // cut short: try again with more room
  }
}

std::string ProgramFolder() {
  return FolderOf(ExecutablePath());
}

std::string FolderOf(const std::string& path) {
  const size_t separator = LastSeparator(path);
  return separator == std::string::npos ? std::string(".\\") : path.substr(0, separator + 1);
}

bool SetCurrentDirectory(const std::string& path) {
  return !path.empty() && ::SetCurrentDirectoryW(Wide(path).c_str());
}

std::string CurrentDirectory() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return {};
  std::wstring path(size, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(size, path.data());
  if (length == 0 || length >= size) return {};
  path.resize(length);
  return WideToUtf8(path);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsRegularFile(const std::string& path) {
  if (!FileExists(path)) return false;
  // Devices (NUL, CON, pipes) have attributes too; only a file on a disk counts.
  const UniqueHandle file(::CreateFileW(Wide(path).c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
  return file.valid() && ::GetFileType(file.get()) == FILE_TYPE_DISK;
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDirectory(const std::string& path) {
  return !path.empty() && ::CreateDirectoryW(Wide(path).c_str(), nullptr);
}

bool CreateDirectories(const std::string& path) {
  if (path.empty()) return false;
  if (DirectoryExists(path)) return true;
  // Each missing parent first; a root or a share at the top always exists.
  std::string parent = path;
  while (!parent.empty() && IsPathSeparator(parent.back())) parent.pop_back();
  const size_t separator = LastSeparator(parent);
  if (separator != std::string::npos && separator > 0) {
    const std::string above = parent.substr(0, separator + 1);
    if (!DirectoryExists(above) && !CreateDirectories(above)) return false;
  }
  return CreateDirectory(parent) || DirectoryExists(parent);
}

bool DeleteFile(const std::string& path) {
  return FileExists(path) && ::DeleteFileW(Wide(path).c_str());
}

bool RemoveTree(const std::string& path) {
  if (path.empty()) return false;
  std::wstring from = Wide(path);
  if (!from.empty() && from.back() == L'\\') from.pop_back();
  // The shell wants a list of full paths, ended by an empty one.
  std::wstring full(MAX_PATH, L'\0');
  const DWORD length =
      ::GetFullPathNameW(from.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return false;
  full.resize(length);
  full.push_back(L'\0');
  full.push_back(L'\0');
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = full.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
  return ::SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

bool FileSize(const std::string& path, int64_t* size) {
  // Others may go on reading and writing it meanwhile.
  const UniqueHandle file = OpenForReading(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
  LARGE_INTEGER value;
  if (!file.valid() || !::GetFileSizeEx(file.get(), &value)) return false;
  *size = value.QuadPart;
  return true;
}

bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  return !from.empty() && !to.empty() &&
         ::CopyFileW(Wide(from).c_str(), Wide(to).c_str(), failIfExists ? TRUE : FALSE);
}

bool CopyFileAtomic(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty() || !FileExists(from)) return false;
  const std::string temporary = FolderOf(to) + TemporaryName(NameOf(to));
  if (!::CopyFileW(Wide(from).c_str(), Wide(temporary).c_str(), TRUE)) return false;
  if (::MoveFileExW(Wide(temporary).c_str(), Wide(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  ::DeleteFileW(Wide(temporary).c_str());
  return false;
}

bool CopyOverProgram(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty() || !FileExists(from)) return false;
  const std::string folder = FolderOf(to), name = NameOf(to);
  const std::wstring temporary = Wide(folder + TemporaryName(name)), target = Wide(to);
  if (!::CopyFileW(Wide(from).c_str(), temporary.c_str(), TRUE)) return false;
  if (::MoveFileExW(temporary.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  // Windows refuses to replace or delete the file of a running program, but
  // lets it be renamed: the old image goes aside under a temporary name and
  // the copy takes its place. The start-up sweep of stale temporaries
  // deletes it once that program has ended.
  const DWORD error = ::GetLastError();
  if ((error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) && FileExists(to)) {
    const std::wstring aside = Wide(folder + TemporaryName(name));
    if (::MoveFileW(target.c_str(), aside.c_str())) {
      if (::MoveFileW(temporary.c_str(), target.c_str())) return true;
      ::MoveFileW(aside.c_str(), target.c_str());  // the old one back in its place
    }
  }
  ::DeleteFileW(temporary.c_str());
  return false;
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
  // MoveFileW never replaces; across volumes it copies and deletes.
  return !from.empty() && !to.empty() && ::MoveFileW(Wide(from).c_str(), Wide(to).c_str());
}

bool ReadFile(const std::string& path, std::string* content) {
  // Others may read it meanwhile; a file that someone writes is not read.
  const UniqueHandle file = OpenForReading(path, FILE_SHARE_READ);
  if (!file.valid()) return false;
  content->clear();
  std::vector<char> buffer(1 << 16);
  while (true) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
      return false;
    if (got == 0) return true;
    content->append(buffer.data(), got);
  }
}

bool MakeOwnerExecutable(const std::string& path) {
  // Windows starts any file it can read: there is no bit to add.
  return FileExists(path);
}

}  // namespace platform
