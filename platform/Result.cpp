#include "platform/Result.h"

#include <cerrno>
#include <cstring>

namespace platform {

Result Result::Failure(int code, std::string text) {
  Result result;
  result.failed_ = true;
  result.code_ = code;
  result.text_ = std::move(text);
  return result;
}

Result Result::FromErrno(const std::string& what) {
  const int code = errno;
  return Failure(code, what + ": " + std::strerror(code));
}

}  // namespace platform
