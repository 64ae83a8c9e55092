#include "tests/unit/http/win32/HostServers.h"

#include "http/QVHTTP.h"
#include "tests/tools/win32/HostServers.h"
#include "tests/unit/http/TransferServers.h"

namespace http_testing {

int HostPort(const std::string& name) {
  return testing_tools::HostPort(HTTP_TEST_HOST_DIR, name);
}

std::string Fetch(const std::string& url) {
  TQVHTTP http;
  http.SetBlockMode(true);
  http.SetMethod("GET");
  http.SetURL(url);
  http.RequestHTTPData();
  return http.ReturnStr();
}

struct TransferServers::State {
  int plain = HostPort("plain");
  int raw = HostPort("raw");
};

TransferServers::TransferServers() : state_(std::make_unique<State>()) {}

TransferServers::~TransferServers() = default;

std::string TransferServers::url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(state_->plain) + path;
}

std::string TransferServers::rawUrl(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(state_->raw) + path;
}

int TransferServers::served() const {
  return std::stoi(Fetch(url("/counts")));
}

int TransferServers::echoed() const {
  const std::string counts = Fetch(url("/counts"));
  return std::stoi(counts.substr(counts.find(' ') + 1));
}

void TransferServers::Release() {
  Fetch(url("/release"));
}

}  // namespace http_testing
