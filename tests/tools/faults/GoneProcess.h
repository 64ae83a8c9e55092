#pragma once

#include <sys/types.h>

namespace testing_tools {

// The id of a process that has ended and was collected, as a killed writer's
// temporaries name it.
pid_t GoneProcessId();

}  // namespace testing_tools
