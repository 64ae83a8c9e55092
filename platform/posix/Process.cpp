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

#include "platform/CommandLine.h"

extern char** environ;

namespace platform {

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

int LaunchProgram(const std::string& program, const std::string& commandLine, uint16_t showWindow,
                  uint32_t* pid) {
  // The command line is read back by the rules the started program would
  // read it by on Windows; its first argument is the program's own name.
  std::vector<std::string> args = SplitCommandLine(commandLine);
  if (!args.empty()) args.erase(args.begin());
  // Nothing to wait for: the program runs once exec has succeeded.
  return StartProgram(program, args, {}, pid);
}

// The parameter text is split by the rules the program would read it by on
// Windows, and the program starts in a session of its own, so that it
// outlives us. Show command and owner have no meaning here.
int ShellOpen(const std::string& file, const std::string& parameterText,
              const ShellOpenOptions& options) {
  StartOptions start;
  start.workingDir = options.workingDir;
  start.newSession = true;
  uint32_t pid = 0;
  return StartProgram(file, SplitCommandLine(parameterText), start, &pid);
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
    char state = '?';
    rest >> state >> entry.parentPid;
    if (rest.fail()) continue;
    entry.ended = state == 'Z' || state == 'X';
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

namespace {

class SignalTerminator : public ProcessTerminator {
 public:
  explicit SignalTerminator(pid_t pid) : pid_(pid) {}
  bool Terminate() override { return kill(pid_, SIGKILL) == 0; }

 private:
  pid_t pid_;
};

}  // namespace

// Whether a signal may be sent stands for the "open for termination" step.
std::unique_ptr<ProcessTerminator> ProcessTerminator::Open(uint32_t pid) {
  if (pid == 0 || kill(static_cast<pid_t>(pid), 0) != 0) return nullptr;
  return std::make_unique<SignalTerminator>(static_cast<pid_t>(pid));
}

void Sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
