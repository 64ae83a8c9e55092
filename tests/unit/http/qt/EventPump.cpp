#include "tests/unit/http/EventPump.h"

#include <QCoreApplication>

#include <chrono>
#include <thread>

namespace http_testing {

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    QCoreApplication::processEvents();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace http_testing
