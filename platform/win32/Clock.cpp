#include "platform/Clock.h"

#include "platform/win32/WinApi.h"

namespace platform {

LocalTime LocalTimeNow() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

uint64_t TickCount() {
  return ::GetTickCount64();
}

}  // namespace platform
