#pragma once

#include <cstdint>

namespace platform {

// Whether a process with this id exists, including one of another user that
// we may not signal, and one that has ended but was not yet collected.
bool ProcessExists(uint32_t pid);

// This process's id.
uint32_t CurrentProcessId();

}  // namespace platform
