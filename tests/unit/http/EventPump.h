#pragma once

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>

namespace http_testing {

// Dispatches this thread's events until `done` holds or `timeoutMs` passed.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    QCoreApplication::processEvents();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

inline void PumpFor(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

}  // namespace http_testing
