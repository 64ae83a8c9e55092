#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/tools/http/RequestParts.h"

namespace testing_tools {

// Records the exact bytes of each request it receives on 127.0.0.1 (head and,
// by its Content-Length, body) and answers every one with the same bytes, or
// with the request itself as the body of a 200. Connections are answered at
// once, each on a thread of its own.
class RawServer {
 public:
  explicit RawServer(std::string response);
  struct EchoRequests {};
  explicit RawServer(EchoRequests);
  ~RawServer();
  RawServer(const RawServer&) = delete;
  RawServer& operator=(const RawServer&) = delete;

  int port() const { return port_; }
  std::string url(const std::string& path) const;
  // The requests received so far, waiting up to five seconds for the first.
  std::vector<std::string> requests();

 private:
  RawServer(std::string response, bool echo);
  void Serve();
  void Answer(int client);

  std::string response_;
  bool echo_ = false;
  int listener_ = -1;
  int port_ = 0;
  bool stop_ = false;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::string> requests_;
  std::vector<std::thread> answering_;  // one a connection, joined at the end
  std::thread thread_;
};

}  // namespace testing_tools
