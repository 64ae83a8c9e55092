#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tests/tools/FileContent.h"
#include "tests/tools/Wait.h"
#include "tests/tools/http/TestServer.h"

namespace testing_tools {

// Makes an archive of the folder `source` with the 7z command ("7z" or "zip"
// type, and further switches such as "-mx0"); returns its bytes.
std::string MakeArchive(const std::string& source, const std::string& type,
                        const std::string& switches = {});

// Serves fixed bodies by path on 127.0.0.1; a path may be slowed down so a
// test can act in the middle of a download.
class PackageServer {
 public:
  PackageServer();
  void Serve(const std::string& path, std::string body);
  // Sends the body in pieces of `chunk` bytes with `pause` between them.
  void ServeSlowly(const std::string& path, std::string body, size_t chunk,
                   std::chrono::milliseconds pause);
  // Waits `delay` before answering.
  void Delay(const std::string& path, std::chrono::milliseconds delay);
  std::string url(const std::string& path) const { return server_.url(path); }
  std::vector<std::string> Requests();

 private:
  struct Entry {
    std::string body;
    size_t chunk = 0;
    std::chrono::milliseconds pause{0};
    std::chrono::milliseconds delay{0};
  };
  std::mutex mutex_;
  std::map<std::string, Entry> entries_;
  std::vector<std::string> requests_;
  // Last: its handlers use the members above, so it stops before they go.
  TestServer server_;
};

// Names in `folder` that start with `prefix`.
std::vector<std::string> NamesStartingWith(const std::string& folder, const std::string& prefix);

}  // namespace testing_tools
