#include "platform/ProcessExists.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

bool ProcessExists(uint32_t pid) {
  if (pid == 0) return false;
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

uint32_t CurrentProcessId() {
  return static_cast<uint32_t>(getpid());
}

}  // namespace platform
