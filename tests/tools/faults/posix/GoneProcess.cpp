#include "tests/tools/faults/GoneProcess.h"

#include <sys/wait.h>
#include <unistd.h>

namespace testing_tools {

uint32_t GoneProcessId() {
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  return static_cast<uint32_t>(gone);
}

}  // namespace testing_tools
