#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "http/QVHTTP.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/http/Pattern.h"
#include "tests/tools/http/RequestParts.h"
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
  http.OnStart = [&outcome, owner](THTTPSender*) {
    outcome.offThread |= std::this_thread::get_id() != owner;
    outcome.events.push_back("start");
  };
  http.OnProgress = [&outcome, owner](THTTPSender*, int32_t done, int32_t total) {
    outcome.offThread |= std::this_thread::get_id() != owner;
    outcome.events.push_back("progress");
    outcome.progress.emplace_back(done, total);
  };
  http.OnEnd = [&outcome, owner](THTTPSender*, bool success) {
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

using testing_tools::Pattern;

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
bool WorkerRunning();

// Whether this process holds `path` open.
bool IsOpenHere(const std::string& path);

// Whether the component's Handle is its own: itself as the receiver of Qt's
// events, or a window of the calling thread.
bool HandleIsTheComponentsOwn(TQVHTTP& http);

// Why Stop cannot end a network call under way here, or null where it can.
const char* StopWaitsForANetworkCall();

// A file that takes no byte, as on a full disk.
std::string FullDevice();

using testing_tools::BodyOf;
using testing_tools::HeadOf;

}  // namespace http_testing
