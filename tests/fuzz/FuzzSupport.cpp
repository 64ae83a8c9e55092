#include "tests/fuzz/FuzzSupport.h"

#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/Environment.h"
#include "platform/Files.h"

extern char** environ;

namespace fuzzing {

namespace {

constexpr const char* kProgramFolderVariable = "UPDATER_FUZZ_PROGRAM_FOLDER";

std::filesystem::path TempRoot() {
  if (::access("/dev/shm", W_OK) == 0) return "/dev/shm";
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

// The environment of the relaunched copy: no PATH, the program folder named,
// and the symbolizer found while PATH was still there.
std::vector<std::string> CopyEnvironment(const std::filesystem::path& programFolder) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry; ++entry) {
    const std::string_view text = *entry;
    const std::string_view name = text.substr(0, text.find('='));
    if (name != "PATH" && name != kProgramFolderVariable) result.emplace_back(text);
  }
  result.push_back(std::string(kProgramFolderVariable) + "=" + programFolder.string());
  const std::string symbolizer = platform::FindOnPath("llvm-symbolizer");
  if (!std::getenv("ASAN_SYMBOLIZER_PATH") && !symbolizer.empty())
    result.push_back("ASAN_SYMBOLIZER_PATH=" + symbolizer);
  return result;
}

}  // namespace

ScratchFolder::ScratchFolder() {
  std::string pattern = (TempRoot() / "updater-fuzz-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) Fail("cannot create a scratch folder");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "FUZZ FINDING: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

std::set<std::string> NamesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    names.insert(entry.path().filename().string());
  return names;
}

void ClearFolder(const std::filesystem::path& folder, const std::set<std::string>& keep) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  for (const std::string& name : NamesIn(folder)) {
    if (keep.contains(name)) continue;
    // Whatever a target left may have lost its permission bits.
    std::filesystem::permissions(
        folder / name, std::filesystem::perms::owner_all,
        std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow, ec);
    std::filesystem::remove_all(folder / name, ec);
    if (ec) Fail("cannot clear " + (folder / name).string() + ": " + ec.message());
  }
}

std::map<std::filesystem::path, bool> OutsideTargets(const std::set<std::string>& names,
                                                     const std::filesystem::path& base,
                                                     const std::filesystem::path& scratch) {
  namespace fs = std::filesystem;
  std::map<fs::path, bool> targets;
  for (std::string name : names) {
    for (char& c : name)
      if (c == '\\') c = '/';
    const fs::path target = (base / name).lexically_normal();
    const fs::path inside = target.lexically_relative(scratch);
    if (inside.empty() || *inside.begin() == "..") {
      struct stat st;
      targets[target] = ::lstat(target.c_str(), &st) == 0;
    }
  }
  return targets;
}

void CheckConfined(const std::filesystem::path& scratch, const std::string& package,
                   const std::map<std::filesystem::path, bool>& outside) {
  namespace fs = std::filesystem;
  const fs::path level = scratch / "a" / "b";
  const fs::path base = level / "out";
  if (NamesIn(scratch) != std::set<std::string>{"a"} ||
      NamesIn(scratch / "a") != std::set<std::string>{"b"} ||
      NamesIn(level) != std::set<std::string>{package, "out"})
    Fail("something was written beside the base folder");
  for (const auto& [target, existed] : outside) {
    struct stat st;
    if (!existed && ::lstat(target.c_str(), &st) == 0)
      Fail("an entry landed outside: " + target.string());
  }
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(base, ec); it != fs::end(it); it.increment(ec)) {
    if (ec) break;
    if (it->is_symlink()) Fail("a symbolic link was extracted: " + it->path().string());
  }
}

std::filesystem::path RelaunchInOwnProgramFolder(char** argv) {
  if (const char* folder = std::getenv(kProgramFolderVariable)) {
    // The copy: it dies with the original, and once started it can no
    // longer be started again, by itself or through a copy of it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const std::filesystem::path programFolder = folder;
    if (platform::ProgramFolder() != programFolder.string() + "/")
      Fail("the relaunched copy does not run from " + programFolder.string());
    if (std::getenv("PATH")) Fail("PATH is still set");
    std::filesystem::permissions(
        platform::ExecutablePath(),
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    return programFolder;
  }

  ScratchFolder scratch;
  const std::filesystem::path programFolder = scratch.path() / "program";
  std::filesystem::create_directory(programFolder);
  const std::filesystem::path self = platform::ExecutablePath();
  const std::filesystem::path copy = programFolder / self.filename();
  std::filesystem::copy_file(self, copy);

  std::vector<std::string> env = CopyEnvironment(programFolder);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, copy.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
    Fail("cannot start " + copy.string());
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  std::fflush(nullptr);
  std::error_code ec;
  std::filesystem::remove_all(scratch.path(), ec);
  std::_Exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
}

}  // namespace fuzzing
