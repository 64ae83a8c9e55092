#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/win32/WinApi.h"

// The Windows form of platform/FileDescriptor.h: the write-all and read-all
// routines over a file handle (owned by a UniqueHandle).
namespace platform {

// Writes all of `data` at the file position; false (GetLastError says why)
// when a write fails.
bool WriteAll(HANDLE file, const void* data, size_t size);
// The same at `offset`.
bool WriteAllAt(HANDLE file, const void* data, size_t size, int64_t offset);
// Everything from the file's start to its end.
bool ReadAll(HANDLE file, std::string* content);

}  // namespace platform
