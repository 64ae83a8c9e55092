#pragma once

#include <cstdint>

namespace testing_tools {

// The id of a process that has ended and was collected, as a killed writer's
// temporaries name it.
uint32_t GoneProcessId();

}  // namespace testing_tools
