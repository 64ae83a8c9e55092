#include "platform/ProcessExists.h"

#include "platform/win32/UniqueHandle.h"

namespace platform {

bool ProcessExists(uint32_t pid) {
  if (pid == 0) return false;
  const UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
  // Refused: it exists, but is another user's.
  if (!process.valid()) return ::GetLastError() == ERROR_ACCESS_DENIED;
  return ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

uint32_t CurrentProcessId() {
  return ::GetCurrentProcessId();
}

}  // namespace platform
