#include "tests/tools/Processes.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace testing_tools {

struct StartedProgram::Handle {
  pid_t pid = 0;
  bool waited = false;
};

StartedProgram::StartedProgram(const std::string& exe, const std::vector<std::string>& args,
                               const std::string& workingDir)
    : handle_(std::make_unique<Handle>()) {
  std::vector<std::string> storage{exe};
  storage.insert(storage.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : storage) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
  if (posix_spawn(&handle_->pid, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0)
    handle_->pid = 0;
  posix_spawn_file_actions_destroy(&actions);
}

StartedProgram::~StartedProgram() {
  if (handle_->pid == 0 || handle_->waited) return;
  kill(handle_->pid, SIGKILL);
  waitpid(handle_->pid, nullptr, 0);
}

bool StartedProgram::started() const {
  return handle_->pid != 0;
}

uint32_t StartedProgram::pid() const {
  return static_cast<uint32_t>(handle_->pid);
}

int StartedProgram::Wait() {
  if (handle_->pid == 0 || handle_->waited) return -1;
  int status = 0;
  handle_->waited = true;
  if (waitpid(handle_->pid, &status, 0) != handle_->pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace testing_tools
