#pragma once

#include "platform/Result.h"
#include "platform/win32/WinApi.h"

namespace platform {

// Windows keeps file times as 100-ns ticks since 1601-01-01 UTC; this layer
// as seconds and nanoseconds since the Unix epoch. Times before 1601 become
// 1601; the nanoseconds keep the system's 100-ns steps.
FILETIME ToWindowsFileTime(const FileTime& time);
FileTime FromWindowsFileTime(const FILETIME& time);

}  // namespace platform
