#include "platform/Environment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

}  // namespace

std::string UserLocale() {
  std::string name;
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    name = Variable(variable);
    if (!name.empty()) break;
  }
  name = name.substr(0, name.find_first_of(".@"));
  if (name.empty() || name == "C" || name == "POSIX") return "en_US";
  return name;
}

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::string FindOnPath(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return {};
  const std::string path = Variable("PATH");
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    const std::string folder = path.substr(start, end - start);
    if (!folder.empty()) {
      const std::string candidate = folder + (folder.back() == '/' ? "" : "/") + name;
      if (IsExecutableFile(candidate)) return candidate;
    }
    start = end + 1;
  }
  return {};
}

}  // namespace platform
