#include "tests/tools/http/RawServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace testing_tools {

namespace {

size_t ContentLength(const std::string& head) {
  size_t at = 0;
  while ((at = head.find("\r\n", at)) != std::string::npos) {
    at += 2;
    if (strncasecmp(head.c_str() + at, "Content-Length:", 15) == 0)
      return std::stoul(head.substr(at + 15));
  }
  return 0;
}

}  // namespace

RawServer::RawServer(EchoRequests) : RawServer(std::string(), true) {}

RawServer::RawServer(std::string response) : RawServer(std::move(response), false) {}

RawServer::RawServer(std::string response, bool echo)
    : response_(std::move(response)), echo_(echo) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(listener_, 8) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("raw server could not listen");
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

RawServer::~RawServer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  thread_.join();
  for (std::thread& answer : answering_) answer.join();
  ::close(listener_);
}

std::string RawServer::url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> RawServer::requests() {
  std::unique_lock lock(mutex_);
  arrived_.wait_for(lock, std::chrono::seconds(5), [this] { return !requests_.empty(); });
  return requests_;
}

void RawServer::Serve() {
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stop_) return;
    }
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 50) <= 0) continue;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    answering_.emplace_back([this, client] {
      Answer(client);
      ::close(client);
    });
  }
}

void RawServer::Answer(int client) {
  std::string request;
  char buffer[65536];
  size_t wanted = std::string::npos;
  while (wanted == std::string::npos || request.size() < wanted) {
    pollfd waiting{client, POLLIN, 0};
    if (::poll(&waiting, 1, 5000) <= 0) break;
    const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    request.append(buffer, static_cast<size_t>(got));
    const size_t headEnd = request.find("\r\n\r\n");
    if (wanted == std::string::npos && headEnd != std::string::npos)
      wanted = headEnd + 4 + ContentLength(request.substr(0, headEnd + 2));
  }
  const std::string response =
      echo_ ? "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(request.size()) + "\r\n\r\n" +
                  request
            : response_;
  ::send(client, response.data(), response.size(), MSG_NOSIGNAL);
  std::lock_guard lock(mutex_);
  requests_.push_back(std::move(request));
  arrived_.notify_all();
}

}  // namespace testing_tools
