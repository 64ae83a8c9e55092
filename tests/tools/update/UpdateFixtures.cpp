#include "tests/tools/update/UpdateFixtures.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace testing_tools {

namespace fs = std::filesystem;

std::string MakeArchive(const std::string& source, const std::string& type,
                        const std::string& switches) {
  const std::string archive = source + ".archive";
  fs::remove(archive);
  const std::string command = "cd '" + source + "' && 7z a -bd -bso0 -bsp0 -t" + type + " " +
                              switches + " '" + archive + "' . >/dev/null";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("7z failed: " + command);
  std::string bytes = ReadFile(archive);
  fs::remove(archive);
  return bytes;
}

PackageServer::PackageServer() {
  server_.http().Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    Entry entry;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request.path);
      auto it = entries_.find(request.path);
      if (it == entries_.end()) {
        response.status = 404;
        response.set_content("not here", "text/plain");
        return;
      }
      entry = it->second;
    }
    std::this_thread::sleep_for(entry.delay);
    if (entry.chunk == 0) {
      response.set_content(entry.body, "application/octet-stream");
      return;
    }
    auto body = std::make_shared<std::string>(std::move(entry.body));
    response.set_content_provider(
        body->size(), "application/octet-stream",
        [this, body, entry](size_t offset, size_t length, httplib::DataSink& sink) {
          if (server_.stopping()) return false;
          const size_t n = std::min({length, entry.chunk, body->size() - offset});
          sink.write(body->data() + offset, n);
          std::this_thread::sleep_for(entry.pause);
          return true;
        });
  });
  server_.start();
}

void PackageServer::Serve(const std::string& path, std::string body) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_[path] = Entry{std::move(body)};
}

void PackageServer::ServeSlowly(const std::string& path, std::string body, size_t chunk,
                                std::chrono::milliseconds pause) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_[path] = Entry{std::move(body), chunk, pause};
}

void PackageServer::Delay(const std::string& path, std::chrono::milliseconds delay) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_[path].delay = delay;
}

std::vector<std::string> PackageServer::Requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::vector<std::string> NamesStartingWith(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    if (name.rfind(prefix, 0) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace testing_tools
