#include "ArchiveFixtures.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "sevenzip/SevenZip.h"

extern char** environ;

namespace sevenzip_test {

std::string Noise(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string text(size, '\0');
  for (char& c : text) c = static_cast<char>(random());
  return text;
}

int RunProgram(const std::string& program, const std::vector<std::string>& args,
               const std::string& cwd, std::string* output) {
  std::vector<std::string> all = {program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  int pipeFds[2];
  if (pipe(pipeFds) != 0) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (rc != 0) {
    close(pipeFds[0]);
    throw std::runtime_error("cannot start " + program);
  }
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  close(pipeFds[0]);
  if (output) *output = text;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Run7z(const std::vector<std::string>& args, const std::string& cwd) {
  std::vector<std::string> all = args;
  all.push_back("-bd");  // no progress indicator
  return RunProgram("7z", all, cwd, nullptr);
}

void WriteFile(const std::string& path, const std::string& content) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

mode_t Mode(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

int64_t MTimeSeconds(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mtim.tv_sec;
}

void SetMTime(const std::string& path, int64_t seconds) {
  const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

void FlipByte(const std::string& path, int64_t offset) {
  std::string data = ReadFile(path);
  const size_t at = offset < 0 ? data.size() + offset : static_cast<size_t>(offset);
  data.at(at) = static_cast<char>(data.at(at) ^ 0xFF);
  std::ofstream(path, std::ios::binary) << data;
}

void Truncate(const std::string& path, int64_t size) {
  truncate(path.c_str(), size);
}

int64_t SizeOf(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

std::vector<std::string> Tree(const std::string& dir) {
  std::vector<std::string> entries;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    std::string rel = std::filesystem::relative(e.path(), dir).string();
    if (e.is_directory() && !e.is_symlink()) rel += '/';
    entries.push_back(rel);
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

void RecordMessages(TSevenZip& z, std::vector<std::string>& messages) {
  z.OnMessage = [&messages](TSevenZip*, int32_t code, const std::string& text,
                            const std::string& file) {
    messages.push_back(std::to_string(code) + " " + text + " " + file);
  };
}

}  // namespace sevenzip_test
