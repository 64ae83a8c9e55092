#include "tests/tools/FakeMain.h"

#include <chrono>
#include <fstream>
#include <thread>

#include "tests/tools/Utf8Path.h"

namespace testing_tools {

std::string FakeMainPath() {
  return std::string(UPDATER_BUILD_DIR) + "/bin/fake_main" + UPDATER_EXECUTABLE_SUFFIX;
}

std::vector<RecordedCall> ReadCalls(const std::string& exePath) {
  std::vector<RecordedCall> calls;
  std::ifstream in(U8Path(exePath + ".calls"), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    RecordedCall call;
    size_t start = 0;
    bool first = true;
    while (true) {
      const size_t sep = line.find('\x1f', start);
      std::string field = line.substr(start, sep == std::string::npos ? sep : sep - start);
      if (first)
        call.workingDir = std::move(field);
      else
        call.args.push_back(std::move(field));
      first = false;
      if (sep == std::string::npos) break;
      start = sep + 1;
    }
    calls.push_back(std::move(call));
  }
  return calls;
}

uint32_t WaitForPid(const std::string& exePath, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    uint32_t pid = 0;
    if (std::ifstream(U8Path(exePath + ".pid")) >> pid) return pid;
    if (std::chrono::steady_clock::now() >= deadline) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::vector<RecordedCall> WaitForCalls(const std::string& exePath, size_t count, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    auto calls = ReadCalls(exePath);
    if (calls.size() >= count || std::chrono::steady_clock::now() >= deadline) return calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace testing_tools
