#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace testing_tools {

// A program a test starts with `args` in `workingDir` and waits for. When the
// object goes, a program still running is ended.
class StartedProgram {
 public:
  StartedProgram(const std::string& exe, const std::vector<std::string>& args,
                 const std::string& workingDir);
  ~StartedProgram();
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  bool started() const;
  uint32_t pid() const;
  // Its exit code, or -1 when it did not start or did not end normally.
  int Wait();

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

// Starts and waits: the exit code, or -1.
inline int RunProgram(const std::string& exe, const std::vector<std::string>& args,
                      const std::string& workingDir) {
  return StartedProgram(exe, args, workingDir).Wait();
}

}  // namespace testing_tools
