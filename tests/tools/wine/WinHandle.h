// Owners of the Win32 handles the Wine test tools hold.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace wintools {

// A handle type H closed by Close; "no handle" is null (for files,
// INVALID_HANDLE_VALUE is turned into null by OpenFile).
template <typename H, auto Close>
struct HandleCloser {
  void operator()(H h) const {
    if (h) Close(h);
  }
};

template <typename H, auto Close>
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<H>, HandleCloser<H, Close>>;

using FileHandle = UniqueHandle<HANDLE, CloseHandle>;

// CreateFileW for reading; null on failure (GetLastError says why).
inline FileHandle OpenFile(const wchar_t* path) {
  HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  return FileHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

}  // namespace wintools
