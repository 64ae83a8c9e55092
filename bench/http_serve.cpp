// Serves one file over HTTP on 127.0.0.1 so that our download and curl fetch
// the same bytes: bench_http_serve <file> — prints the port, then serves
// GET /body until killed. Any other one-segment path (/package.7z) serves the
// same bytes, for clients that go by the name's ending.
#include <fcntl.h>
#include <unistd.h>

#include <httplib.h>
#include <sys/stat.h>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <file>\n", argv[0]);
    return 2;
  }
  const int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  const size_t size = static_cast<size_t>(st.st_size);

  httplib::Server server;
  server.Get(R"(/[^/]+)", [fd, size](const httplib::Request&, httplib::Response& res) {
    // Read in pieces as the client takes them: the body never sits whole in
    // memory, so the server's footprint does not depend on the body's size.
    res.set_content_provider(size, "application/octet-stream",
                             [fd](size_t offset, size_t length, httplib::DataSink& sink) {
                               static thread_local char buffer[256 * 1024];
                               const size_t want = std::min(length, sizeof buffer);
                               const ssize_t got =
                                   ::pread(fd, buffer, want, static_cast<off_t>(offset));
                               if (got <= 0) return false;
                               return sink.write(buffer, static_cast<size_t>(got));
                             });
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  if (port <= 0) {
    std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
    return 1;
  }
  std::printf("%d\n", port);
  std::fflush(stdout);
  server.listen_after_bind();
  ::close(fd);
  return 0;
}
