#include "tests/tools/http/TestServer.h"

#include <chrono>
#include <stdexcept>

namespace testing_tools {

TestServer::TestServer() : server_(std::make_unique<httplib::Server>()) {}

TestServer::TestServer(const std::string& certFile, const std::string& keyFile)
    : server_(std::make_unique<httplib::SSLServer>(certFile.c_str(), keyFile.c_str())), tls_(true) {
  if (!server_->is_valid()) throw std::runtime_error("TLS server could not load its certificate");
}

TestServer::~TestServer() {
  stop();
}

void TestServer::start() {
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("test server could not bind");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  for (int i = 0; i < 500 && !server_->is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void TestServer::stop() {
  stopping_ = true;
  if (thread_.joinable()) {
    server_->stop();
    thread_.join();
  }
}

std::string TestServer::url(const std::string& path) const {
  return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

}  // namespace testing_tools
