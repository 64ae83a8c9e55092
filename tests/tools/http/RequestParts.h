#pragma once

#include <string>

namespace testing_tools {

// The head (up to and including the blank line) and the body of a request.
inline std::string HeadOf(const std::string& request) {
  const size_t end = request.find("\r\n\r\n");
  return end == std::string::npos ? request : request.substr(0, end + 4);
}

inline std::string BodyOf(const std::string& request) {
  const size_t end = request.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : request.substr(end + 4);
}

}  // namespace testing_tools
