#include "tests/unit/platform/WriterTesting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

namespace writer_testing {

uint32_t ModeOf(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mode & 07777;
}

void SetMode(const std::string& path, uint32_t mode) {
  ::chmod(path.c_str(), mode);
}

uint32_t Kept(uint32_t mode) {
  return mode;
}

void SetTimes(const std::string& path, int64_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 123}};
  ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

int64_t ModifiedSeconds(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mtime;
}

std::string Identity(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

bool MakeLink(const std::string& link, const std::string& target, bool folder) {
  return ::symlink(target.c_str(), link.c_str()) == 0;
}

std::shared_ptr<void> Undeletable(const std::string& path, const std::string&, std::string* why,
                                  bool* possible) {
  struct Immutable {
    explicit Immutable(std::string quoted) : quoted(std::move(quoted)) {}
    ~Immutable() { std::system(("chattr -i " + quoted).c_str()); }
    const std::string quoted;
  };
  const std::string quoted = "'" + path + "'";
  if (std::system(("chattr +i " + quoted + " 2>/dev/null").c_str()) == 0)
    return std::make_shared<Immutable>(quoted);
  *why = "no immutable files here";
  *possible = false;
  return nullptr;
}

}  // namespace writer_testing
