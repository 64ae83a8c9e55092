#include "platform/Paths.h"

#include <vector>

#include "platform/Text.h"
#include "platform/win32/UniqueHandle.h"

namespace platform {

const char* const kNameDelimiters = "\\:";
const char kPathSeparator = '\\';

bool IsPathSeparator(char c) {
  return c == '\\' || c == '/';
}

bool IsAbsolutePath(const std::string& path) {
  if (path.find(':') != std::string::npos) return true;
  return path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
}

namespace {

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  while (true) {
    const DWORD length =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return {};
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
}

// The path of an open file or folder with every reparse point resolved, in
// its plain form: "\\?\C:\x" becomes "C:\x", "\\?\UNC\server\x" "\\server\x".
std::wstring FinalPath(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    const DWORD length =
        ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(length + 1);
  }
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\" + path.substr(7);
  if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

}  // namespace

std::string ResolvedPath(const std::string& path) {
  if (path.empty()) return {};
  const std::wstring full = FullPath(Utf8ToWide(path));
  if (full.empty()) return {};
  // Opened for no access: whatever it is, it is only asked for its name.
  const UniqueHandle handle(
      ::CreateFileW(full.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.valid()) return {};
  return WideToUtf8(FinalPath(handle.get()));
}

bool IsRootPath(const std::string& resolved) {
  std::string path = resolved;
  while (!path.empty() && IsPathSeparator(path.back())) path.pop_back();
  // A drive: "C:".
  if (path.size() == 2 && path[1] == ':') return true;
  // A share: "\\server\share", no folder below it.
  if (path.size() > 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
    size_t separators = 0;
    for (size_t i = 2; i < path.size(); ++i)
      if (IsPathSeparator(path[i])) ++separators;
    return separators <= 1;
  }
  return path.empty() && !resolved.empty();  // "\" alone
}

}  // namespace platform
