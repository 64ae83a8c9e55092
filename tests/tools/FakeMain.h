#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_tools {

// The fake main application built beside the tests.
std::string FakeMainPath();

struct RecordedCall {
  std::string workingDir;
  std::vector<std::string> args;
};

// The starts recorded by a copy of the fake main application at `exePath`.
std::vector<RecordedCall> ReadCalls(const std::string& exePath);

// Waits up to `timeoutMs` for at least `count` recorded starts.
std::vector<RecordedCall> WaitForCalls(const std::string& exePath, size_t count,
                                       int timeoutMs = 10000);

// Waits up to `timeoutMs` for the copy at `exePath` to record its process
// id (the Windows fake main does while it holds); 0 when it did not.
uint32_t WaitForPid(const std::string& exePath, int timeoutMs = 10000);

}  // namespace testing_tools
