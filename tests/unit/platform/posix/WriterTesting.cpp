#include "tests/unit/platform/WriterTesting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace writer_testing
