#pragma once

#include <functional>

namespace testing_tools {

// Waits up to `timeoutMs` for `condition`, checking every 20 ms.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);

}  // namespace testing_tools
