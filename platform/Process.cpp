#include "platform/Process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace platform {

std::vector<std::string> SplitCommandLine(const std::string& text) {
  std::vector<std::string> args;
  size_t i = 0;
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  while (true) {
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i >= text.size()) break;
    std::string arg;
    while (i < text.size() && !isBlank(text[i])) {
      if (text[i] == '"') {
        ++i;
        while (i < text.size() && text[i] != '"') arg += text[i++];
        if (i < text.size()) ++i;  // closing quote
      } else {
        arg += text[i++];
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

namespace {

class SpawnAttributes {
 public:
  SpawnAttributes() {
    posix_spawnattr_init(&attr_);
    posix_spawn_file_actions_init(&actions_);
  }
  ~SpawnAttributes() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attr_);
  }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;

  posix_spawnattr_t* attr() { return &attr_; }
  posix_spawn_file_actions_t* actions() { return &actions_; }

 private:
  posix_spawnattr_t attr_;
  posix_spawn_file_actions_t actions_;
};

}  // namespace

int StartProgram(const std::string& program, const std::vector<std::string>& args,
                 const StartOptions& options, uint32_t* pid) {
  if (pid) *pid = 0;
  if (program.empty()) return ENOENT;

  SpawnAttributes spawn;
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (options.newSession) flags |= POSIX_SPAWN_SETSID;
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(spawn.attr(), &none);
  posix_spawnattr_setsigdefault(spawn.attr(), &all);
  posix_spawnattr_setflags(spawn.attr(), flags);
  if (!options.workingDir.empty())
    posix_spawn_file_actions_addchdir_np(spawn.actions(), options.workingDir.c_str());

  std::vector<std::string> storage;
  storage.reserve(args.size() + 1);
  storage.push_back(program);
  storage.insert(storage.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : storage) argv.push_back(s.data());
  argv.push_back(nullptr);

  // glibc's posix_spawn reports exec failures (ENOENT, EACCES, ...) itself.
  pid_t child = 0;
  const int rc =
      posix_spawn(&child, program.c_str(), spawn.actions(), spawn.attr(), argv.data(), environ);
  if (rc != 0) return rc;
  if (pid) *pid = static_cast<uint32_t>(child);
  return 0;
}

int ShellOpen(const std::string& file, const std::string& parameterText,
              const std::string& workingDir) {
  StartOptions options;
  options.workingDir = workingDir;
  options.newSession = true;
  uint32_t pid = 0;
  return StartProgram(file, SplitCommandLine(parameterText), options, &pid);
}

bool SnapshotProcesses(std::vector<ProcessEntry>* entries) {
  entries->clear();
  DIR* dir = opendir("/proc");
  if (!dir) return false;
  while (dirent* d = readdir(dir)) {
    char* end = nullptr;
    const unsigned long pid = std::strtoul(d->d_name, &end, 10);
    if (*end != '\0' || pid == 0) continue;
    std::ifstream stat(std::string("/proc/") + d->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;  // ended meanwhile
    // The command name is in parentheses and may itself hold ')' or blanks.
    const size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    ProcessEntry entry;
    entry.pid = static_cast<uint32_t>(pid);
    rest >> entry.state >> entry.parentPid;
    if (rest.fail()) continue;
    entries->push_back(entry);
  }
  closedir(dir);
  return true;
}

void ReapIfChild(uint32_t pid) {
  if (pid == 0) return;
  int status = 0;
  waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
}

bool CanSignalProcess(uint32_t pid) {
  if (pid == 0) return false;
  return kill(static_cast<pid_t>(pid), 0) == 0;
}

bool TerminateProcess(uint32_t pid) {
  if (pid == 0) return false;
  return kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

void Sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
