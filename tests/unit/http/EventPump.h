#pragma once

#include <functional>

namespace http_testing {

// Dispatches this thread's events (Qt's queue, or the thread's window
// messages) until `done` holds or `timeoutMs` passed.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 20000);

inline void PumpFor(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

}  // namespace http_testing
