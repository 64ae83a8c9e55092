#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testing_tools {

// A program started with `args` in `workingDir` under Qt's offscreen
// platform; killed when the object goes if it is still running.
class UpdaterProcess {
 public:
  UpdaterProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& workingDir);
  ~UpdaterProcess();
  UpdaterProcess(const UpdaterProcess&) = delete;
  UpdaterProcess& operator=(const UpdaterProcess&) = delete;

  // The exit code, or -1 when it did not end in time.
  int Wait(int timeoutMs);
  void Kill();
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

}  // namespace testing_tools
