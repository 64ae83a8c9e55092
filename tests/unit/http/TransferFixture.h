#pragma once

#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "http/QVHTTP.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/http/EventPump.h"

namespace http_testing {

// What a component reported, and on which thread.
struct Outcome {
  std::vector<std::string> events;  // "start", "progress", "end"
  std::vector<std::pair<int32_t, int32_t>> progress;
  bool ended = false;
  bool success = false;
  bool offThread = false;
};

inline void Watch(TQVHTTP& http, Outcome& outcome) {
  const std::thread::id owner = std::this_thread::get_id();
  http.OnStart = [&outcome, owner](QObject*) {
    outcome.offThread |= std::this_thread::get_id() != owner;
    outcome.events.push_back("start");
  };
  http.OnProgress = [&outcome, owner](QObject*, int32_t done, int32_t total) {
    outcome.offThread |= std::this_thread::get_id() != owner;
    outcome.events.push_back("progress");
    outcome.progress.emplace_back(done, total);
  };
  http.OnEnd = [&outcome, owner](QObject*, bool success) {
    outcome.offThread |= std::this_thread::get_id() != owner;
    outcome.events.push_back("end");
    outcome.ended = true;
    outcome.success = success;
  };
}

// Starts the request and dispatches events until its end arrives.
inline bool RunToEnd(TQVHTTP& http, Outcome& outcome) {
  http.RequestHTTPData();
  return PumpUntil([&] { return outcome.ended; });
}

// A body whose every byte depends on its position, so misplaced data shows.
inline std::string Pattern(size_t size) {
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
  return body;
}

inline bool Exists(const std::string& path) {
  return std::ifstream(path).good();
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// Whether a transfer worker of this process is still running.
inline bool WorkerRunning() {
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

// Whether this process holds `path` open.
inline bool IsOpenHere(const std::string& path) {
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
