#include "platform/win32/FileTimes.h"

namespace platform {

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDifference = 11'644'473'600;

}  // namespace

FILETIME ToWindowsFileTime(const FileTime& time) {
  int64_t ticks = (time.seconds + kEpochDifference) * kTicksPerSecond + time.nanoseconds / 100;
  if (ticks < 0) ticks = 0;
  const auto value = static_cast<uint64_t>(ticks);
  return {static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

FileTime FromWindowsFileTime(const FILETIME& time) {
  const auto ticks =
      static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return {ticks / kTicksPerSecond - kEpochDifference,
          static_cast<int32_t>(ticks % kTicksPerSecond * 100)};
}

}  // namespace platform
