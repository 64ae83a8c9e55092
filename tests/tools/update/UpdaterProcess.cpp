#include "tests/tools/update/UpdaterProcess.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/tools/update/UpdateFixtures.h"

namespace testing_tools {

UpdaterProcess::UpdaterProcess(const std::string& program, const std::vector<std::string>& args,
                               const std::string& workingDir) {
  pid_ = fork();
  if (pid_ == 0) {
    if (chdir(workingDir.c_str()) != 0) _exit(90);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<std::string> storage = {program};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : storage) argv.push_back(s.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(91);
  }
}

UpdaterProcess::~UpdaterProcess() {
  Kill();
}

int UpdaterProcess::Wait(int timeoutMs) {
  int status = 0;
  const bool ended = WaitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, timeoutMs);
  if (!ended) return -1;
  exited_ = true;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

void UpdaterProcess::Kill() {
  if (pid_ > 0 && !exited_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    exited_ = true;
  }
}

}  // namespace testing_tools
