#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/tools/TempDir.h"

class TSevenZip;

namespace sevenzip_test {

// Bytes that do not compress, the same for the same seed.
std::string Noise(size_t size, unsigned seed);

// Runs the installed `7z` command in `cwd` with its output discarded;
// returns its exit code.
int Run7z(const std::vector<std::string>& args, const std::string& cwd);
// The same, keeping what it prints; `program` may name another executable.
int RunProgram(const std::string& program, const std::vector<std::string>& args,
               const std::string& cwd, std::string* output);

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
mode_t Mode(const std::string& path);
int64_t MTimeSeconds(const std::string& path);
void SetMTime(const std::string& path, int64_t seconds);
// Flips the byte at `offset` (negative: from the end).
void FlipByte(const std::string& path, int64_t offset);
void Truncate(const std::string& path, int64_t size);
int64_t SizeOf(const std::string& path);
// Every entry below `dir`, relative, sorted, folders with a trailing '/'.
std::vector<std::string> Tree(const std::string& dir);
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

// Keeps what `z` reports from now on in `messages`, each as
// "<code> <text> <file>".
void RecordMessages(TSevenZip& z, std::vector<std::string>& messages);

}  // namespace sevenzip_test
