#include "tests/tools/update/UpdaterProcess.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "tests/tools/update/UpdateFixtures.h"

namespace testing_tools {

UpdaterProcess::UpdaterProcess(const std::string& program, const std::vector<std::string>& args,
                               const std::string& workingDir) {
  // Everything that allocates happens before the fork: the test's server
  // threads may hold a lock that the child would never see released.
  std::vector<std::string> storage = {program};
  storage.insert(storage.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : storage) argv.push_back(s.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen"};
  for (char** e = environ; *e; ++e)
    if (std::string_view(*e).rfind("QT_QPA_PLATFORM=", 0) != 0) environment.emplace_back(*e);
  std::vector<char*> envp;
  for (auto& s : environment) envp.push_back(s.data());
  envp.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    if (chdir(workingDir.c_str()) != 0) _exit(90);
    execve(program.c_str(), argv.data(), envp.data());
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
