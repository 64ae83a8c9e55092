#include "platform/FileDescriptor.h"

#include <unistd.h>

#include <cerrno>

namespace platform {

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

bool UniqueFd::Close() {
  const int fd = release();
  return fd < 0 || ::close(fd) == 0;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool WriteAllAt(int fd, const void* data, size_t size, int64_t offset) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

bool ReadAll(int fd, std::string* content) {
  content->clear();
  char buffer[1 << 16];
  off_t offset = 0;
  while (true) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    content->append(buffer, static_cast<size_t>(n));
    offset += n;
  }
}

}  // namespace platform
