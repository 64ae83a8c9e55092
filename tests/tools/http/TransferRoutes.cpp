#include "tests/tools/http/TransferRoutes.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace testing_tools {

namespace {

// The Windows suites share one server for a whole run, and every answer held
// back for a client that gave up would keep one of its threads until the
// end: a hold ends with the server, once `done` holds, or after this long,
// far longer than any suite waits for it.
constexpr auto kLongestHold = std::chrono::seconds(10);

template <class Done>
void Hold(const TestServer& server, Done done) {
  const auto until = std::chrono::steady_clock::now() + kLongestHold;
  while (!done() && !server.stopping() && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

bool Never() {
  return false;
}

}  // namespace

TransferRoutes::TransferRoutes(TestServer& server) : server_(server) {
  auto& http = server.http();
  http.Get("/file", [this](const httplib::Request&, httplib::Response& res) {
    ++served;
    res.set_content(body, "text/plain; charset=EUC-KR");
  });
  http.Get("/empty", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("", "application/octet-stream");
  });
  http.Get("/nolength", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(
        "application/octet-stream", [this](size_t offset, httplib::DataSink& sink) {
          if (offset == body.size()) {
            sink.done();
            return true;
          }
          return sink.write(body.data() + offset, std::min<size_t>(5000, body.size() - offset));
        });
  });
  http.Get("/badlength", [this](const httplib::Request&, httplib::Response& res) {
    res.set_header("Content-Length", "many");
    res.set_content_provider("application/octet-stream", [this](size_t, httplib::DataSink& sink) {
      sink.write(body.data(), 3000);
      sink.done();
      return true;
    });
  });
  http.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("not here", "text/plain");
  });
  http.Get("/short", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(kBodySize, "application/octet-stream",
                             [this](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset >= 20000) return false;  // hang up early
                               return sink.write(body.data() + offset, 10000);
                             });
  });
  http.Get("/stall", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(kBodySize, "application/octet-stream",
                             [this](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset == 0) return sink.write(body.data(), 100);
                               Hold(server_, Never);
                               return false;
                             });
  });
  // Small pieces at a steady pace: many more reads than a window can show.
  http.Get("/steady", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(kBodySize, "application/octet-stream",
                             [this](size_t offset, size_t, httplib::DataSink& sink) {
                               std::this_thread::sleep_for(std::chrono::milliseconds(1));
                               return sink.write(body.data() + offset,
                                                 std::min<size_t>(100, kBodySize - offset));
                             });
  });
  // Half the body in pieces closer together than the pacing, then nothing
  // until the test lets go.
  http.Get("/pause", [this](const httplib::Request&, httplib::Response& res) {
    const int generation = releases.load();
    res.set_content_provider(kBodySize, "application/octet-stream",
                             [this, generation](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset == kBodySize / 2)
                                 Hold(server_, [&] { return releases.load() != generation; });
                               std::this_thread::sleep_for(std::chrono::milliseconds(2));
                               return sink.write(body.data() + offset, 1000);
                             });
  });
  http.Get("/redirect", [this](const httplib::Request&, httplib::Response& res) {
    res.set_redirect(server_.url("/file"));
  });
  // A redirection relative to the request's own folder.
  http.Post("/dir/to-echo", [](const httplib::Request&, httplib::Response& res) {
    res.status = 302;
    res.set_header("Location", "../echo");
  });
  http.Get("/loop",
           [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });
  auto echo = [this](const httplib::Request& req, httplib::Response& res) {
    ++echoed;
    res.set_content(req.method + "\n" + req.version + "\n" + req.target + "\n" +
                        req.get_header_value("Content-Type") + "\n" + req.body,
                    "text/plain");
  };
  http.Get("/echo", echo);
  http.Post("/echo", echo);
  http.Delete("/echo", echo);
  // Trickles a large body, or sends its headers and then nothing.
  http.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(kSlowSize, "application/octet-stream",
                             [this](size_t offset, size_t, httplib::DataSink& sink) {
                               if (server_.stopping()) return false;
                               std::this_thread::sleep_for(std::chrono::milliseconds(20));
                               return sink.write(chunk.data(),
                                                 std::min(chunk.size(), kSlowSize - offset));
                             });
  });
  http.Get("/silent", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(kSlowSize, "application/octet-stream",
                             [this](size_t, size_t, httplib::DataSink&) {
                               Hold(server_, Never);
                               return false;
                             });
  });
  http.Get("/counts", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content(std::to_string(served.load()) + " " + std::to_string(echoed.load()),
                    "text/plain");
  });
  http.Get("/release", [this](const httplib::Request&, httplib::Response& res) {
    ++releases;
    res.set_content("released", "text/plain");
  });
  // A multipart form as the server parsed it: name, file name and size of
  // each part, one a line.
  http.Post("/form", [](const httplib::Request& req, httplib::Response& res) {
    std::string seen;
    for (const auto& [name, part] : req.files)
      seen += name + " " + part.filename + " " + std::to_string(part.content.size()) + " " +
              (part.content == Pattern(part.content.size()) ? "pattern" : part.content) + "\n";
    res.set_content(seen, "text/plain");
  });
}

}  // namespace testing_tools
