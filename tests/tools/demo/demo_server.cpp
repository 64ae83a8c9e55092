// Serves the files of one folder on 127.0.0.1 at a limited rate, so that a
// download takes long enough to be watched. Prints the port it listens on,
// then one line per request.
//   demo_server <folder> <bytes per second>
#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: demo_server <folder> <bytes per second>\n");
    return 2;
  }
  const fs::path root = fs::canonical(argv[1]);
  const long rate = std::max(1L, std::atol(argv[2]));
  const size_t chunk = static_cast<size_t>(std::max(1L, rate / 20));

  httplib::Server server;
  server.Get(R"(/([^/]+))", [&](const httplib::Request& req, httplib::Response& res) {
    const fs::path file = root / req.matches[1].str();
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
      res.status = 404;
      std::printf("GET %s 404\n", req.path.c_str());
      std::fflush(stdout);
      return;
    }
    const size_t size = fs::file_size(file);
    auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
    res.set_content_provider(size, "application/octet-stream",
                             [in, chunk](size_t offset, size_t length, httplib::DataSink& sink) {
                               std::string buffer(std::min(chunk, length), '\0');
                               in->seekg(static_cast<std::streamoff>(offset));
                               in->read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
                               if (in->gcount() <= 0) return false;
                               std::this_thread::sleep_for(std::chrono::milliseconds(50));
                               return sink.write(buffer.data(), static_cast<size_t>(in->gcount()));
                             });
    std::printf("GET %s 200 (%zu bytes)\n", req.path.c_str(), size);
    std::fflush(stdout);
  });

  const int port = server.bind_to_any_port("127.0.0.1");
  if (port <= 0) {
    std::fprintf(stderr, "demo_server: cannot listen on 127.0.0.1\n");
    return 1;
  }
  std::printf("%d\n", port);
  std::fflush(stdout);
  return server.listen_after_bind() ? 0 : 1;
}
