#pragma once

#include <httplib.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace testing_tools {

// A cpp-httplib server on 127.0.0.1 and a port of the system's choosing,
// plain or TLS. Register handlers on `http()`, then `start()`. Handlers that
// wait or trickle should give up once `stopping()` is set.
class TestServer {
 public:
  TestServer();
  TestServer(const std::string& certFile, const std::string& keyFile);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  httplib::Server& http() { return *server_; }
  void start();
  void stop();

  int port() const { return port_; }
  // "http(s)://127.0.0.1:<port>" followed by `path`.
  std::string url(const std::string& path) const;
  bool stopping() const { return stopping_.load(); }

 private:
  std::unique_ptr<httplib::Server> server_;
  bool tls_ = false;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace testing_tools
