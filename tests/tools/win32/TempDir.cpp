#include "tests/tools/TempDir.h"

#include <windows.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/Text.h"

namespace testing_tools {

TempDir::TempDir() {
  wchar_t base[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, base);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary folder");
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    const std::wstring path = std::wstring(base) + L"updater-test-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount() + attempt);
    if (CreateDirectoryW(path.c_str(), nullptr)) {
      path_ = platform::WideToUtf8(path);
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests may leave read-only files behind; make them removable first.
  const std::filesystem::path root(platform::Utf8ToWide(path_));
  for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  std::filesystem::remove_all(root, ec);
}

}  // namespace testing_tools
