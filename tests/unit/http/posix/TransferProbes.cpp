#include <dirent.h>
#include <unistd.h>

#include <fstream>

#include "tests/unit/http/TransferFixture.h"

namespace http_testing {

bool WorkerRunning() {
  bool running = false;
  if (DIR* tasks = opendir("/proc/self/task")) {
    while (dirent* entry = readdir(tasks)) {
      if (entry->d_name[0] == '.') continue;
      std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
      std::string name;
      if (std::getline(comm, name) && name == "QVHTTPThread") running = true;
    }
    closedir(tasks);
  }
  return running;
}

bool IsOpenHere(const std::string& path) {
  bool open = false;
  if (DIR* fds = opendir("/proc/self/fd")) {
    while (dirent* entry = readdir(fds)) {
      char target[4096];
      const std::string link = std::string("/proc/self/fd/") + entry->d_name;
      const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
      if (length > 0 && std::string(target, static_cast<size_t>(length)) == path) open = true;
    }
    closedir(fds);
  }
  return open;
}

}  // namespace http_testing

namespace http_testing {

std::string FullDevice() {
  return "/dev/full";
}

}  // namespace http_testing

namespace http_testing {

bool HandleIsTheComponentsOwn(TQVHTTP& http) {
  return http.Handle() == &http;
}

}  // namespace http_testing

namespace http_testing {

const char* StopWaitsForANetworkCall() {
  return nullptr;
}

}  // namespace http_testing
