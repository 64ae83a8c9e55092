#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The one error shape of this layer: success, or the system's error code
// with a text naming what failed.
class Result {
 public:
  Result() = default;
  static Result Failure(int code, std::string text);
  // errno, and "`what`: " followed by its description.
  static Result FromErrno(const std::string& what);

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  int code() const { return code_; }
  const std::string& text() const { return text_; }

 private:
  bool failed_ = false;
  int code_ = 0;
  std::string text_;
};

// A point in time as the file system keeps it: since the Unix epoch.
struct FileTime {
  int64_t seconds = 0;
  int32_t nanoseconds = 0;
};

}  // namespace platform
