#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <csignal>
#include <string>
#include <vector>

// What only the Linux suites use: the installed 7z command at test time,
// permission bits, and a limit on file sizes.
namespace sevenzip_test {

// Runs the installed `7z` command in `cwd` with its output discarded;
// returns its exit code.
int Run7z(const std::vector<std::string>& args, const std::string& cwd);
// The same, keeping what it prints; `program` may name another executable.
int RunProgram(const std::string& program, const std::vector<std::string>& args,
               const std::string& cwd, std::string* output);

mode_t Mode(const std::string& path);

// Lowers the largest file this process may write, for its lifetime; a write
// past it fails with EFBIG instead of ending the process.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &FSaved);
    FHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = FSaved;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FSaved);
    std::signal(SIGXFSZ, FHandler);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  rlimit FSaved{};
  void (*FHandler)(int);
};

}  // namespace sevenzip_test
