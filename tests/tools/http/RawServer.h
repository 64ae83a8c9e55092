#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_tools {

// Records the exact bytes of each request it receives on 127.0.0.1 (head and,
// by its Content-Length, body) and answers every one with the same bytes.
class RawServer {
 public:
  explicit RawServer(std::string response);
  ~RawServer();
  RawServer(const RawServer&) = delete;
  RawServer& operator=(const RawServer&) = delete;

  int port() const { return port_; }
  std::string url(const std::string& path) const;
  // The requests received so far, waiting up to five seconds for the first.
  std::vector<std::string> requests();

 private:
  void Serve();
  void Answer(int client);

  std::string response_;
  int listener_ = -1;
  int port_ = 0;
  bool stop_ = false;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// The head (up to and including the blank line) and the body of a request.
std::string HeadOf(const std::string& request);
std::string BodyOf(const std::string& request);

}  // namespace testing_tools
