#include "tests/unit/http/TransferServers.h"

#include "tests/tools/http/RawServer.h"
#include "tests/tools/http/TestServer.h"
#include "tests/tools/http/TransferRoutes.h"

namespace http_testing {

struct TransferServers::State {
  // The routes' handlers use the routes: they end before the routes go.
  ~State() { server.stop(); }

  testing_tools::TestServer server;
  testing_tools::TransferRoutes routes{server};
  testing_tools::RawServer raw{testing_tools::RawServer::EchoRequests{}};
};

TransferServers::TransferServers() : state_(std::make_unique<State>()) {
  state_->server.start();
}

TransferServers::~TransferServers() = default;

std::string TransferServers::url(const std::string& path) const {
  return state_->server.url(path);
}

std::string TransferServers::rawUrl(const std::string& path) const {
  return state_->raw.url(path);
}

int TransferServers::served() const {
  return state_->routes.served.load();
}

int TransferServers::echoed() const {
  return state_->routes.echoed.load();
}

void TransferServers::Release() {
  ++state_->routes.releases;
}

}  // namespace http_testing
