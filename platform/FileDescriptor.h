#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Owns an open file descriptor and closes it when it goes.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1);
  // Closes now; false (errno set) when the close reported an error, which
  // for a file just written can be the first sign that the data is lost.
  bool Close();

 private:
  int fd_ = -1;
};

// Writes all of `data`, going on after interruptions and short writes.
// False with errno set when a write fails.
bool WriteAll(int fd, const void* data, size_t size);
// The same at `offset`, without moving the file position.
bool WriteAllAt(int fd, const void* data, size_t size, int64_t offset);
// Everything from the file's start to its end, whatever the file position.
// False with errno set when a read fails.
bool ReadAll(int fd, std::string* content);

}  // namespace platform
