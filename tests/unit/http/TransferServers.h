#pragma once

#include <memory>
#include <string>

namespace http_testing {

// The servers a transfer suite talks to: in this process on Linux, in
// http_test_host's under Wine (started around the suite by CTest).
class TransferServers {
 public:
  TransferServers();
  ~TransferServers();
  TransferServers(const TransferServers&) = delete;
  TransferServers& operator=(const TransferServers&) = delete;

  // The download routes (tests/tools/http/TransferRoutes.h).
  std::string url(const std::string& path) const;
  // A server that answers every request with a 200 whose body is the
  // request's exact bytes.
  std::string rawUrl(const std::string& path) const;
  // Requests the routes have answered so far: GET /file, and /echo.
  int served() const;
  int echoed() const;
  // Lets the /pause requests made so far go on.
  void Release();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace http_testing
