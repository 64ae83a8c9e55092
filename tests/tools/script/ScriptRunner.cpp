#include "tests/tools/script/ScriptRunner.h"

#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <vector>

extern char** environ;

namespace testing_tools {

namespace {

std::vector<std::string> ChangedEnvironment(const EnvironmentChanges& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    if (!changes.contains(text.substr(0, text.find('=')))) result.push_back(text);
  }
  for (const auto& [name, value] : changes)
    if (value) result.push_back(name + "=" + *value);
  return result;
}

}  // namespace

int RunScriptInProgramFolder(const std::string& programFolder, const std::string& scriptFile,
                             const std::string& workingDir, const EnvironmentChanges& environment) {
  const std::string runner = programFolder + "/Updater";
  std::error_code ec;
  std::filesystem::copy_file(std::string(UPDATER_BUILD_DIR) + "/bin/script_runner", runner,
                             std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) return -1;

  std::vector<std::string> env = ChangedEnvironment(environment);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string arg0 = runner, arg1 = scriptFile;
  char* argv[] = {arg0.data(), arg1.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, runner.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace testing_tools
