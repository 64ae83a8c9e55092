// Faults met by an update run inside the test process, where the test answers
// the message box the run ends with: servers that misbehave. Whatever happens,
// the installation stays whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <filesystem>
#include <memory>
#include <thread>

#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/faults/FolderState.h"
#include "tests/tools/http/RawServer.h"
#include "tests/tools/http/TestCertificates.h"
#include "tests/tools/update/UpdateFixtures.h"
#include "tests/tools/update/WindowRunSupport.h"
#include "updater/untUpdaterMain.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_tools;

std::string Response(const std::string& head, const std::string& body) {
  return head + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// A server whose handlers hold the connection: they give up once the server stops.
class HoldingServer {
 public:
  enum Kind { kStall, kTrickle, kEndless };
  explicit HoldingServer(Kind kind) {
    server_.http().Get(".*", [this, kind](const httplib::Request&, httplib::Response& response) {
      auto provider = [this, kind](size_t offset, size_t, httplib::DataSink& sink) {
        if (server_.stopping()) return false;
        if (kind == kStall) {
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } else if (kind == kTrickle) {
          sink.write("7", 1);
          for (int i = 0; i < 20 && !server_.stopping(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } else {
          const std::string piece(64 * 1024, static_cast<char>('a' + offset % 26));
          sink.write(piece.data(), piece.size());
        }
        return true;
      };
      if (kind == kEndless)
        response.set_chunked_content_provider("application/octet-stream",
                                              [provider](size_t offset, httplib::DataSink& sink) {
                                                return provider(offset, 0, sink);
                                              });
      else
        response.set_content_provider(100000, "application/octet-stream", provider);
    });
    server_.start();
  }
  std::string url(const std::string& path) const { return server_.url(path); }

 private:
  TestServer server_;
};

class FaultRun : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(program_);
    fs::copy_file(FakeMainPath(), Program("App.exe"));
    WriteFile(Program("data/a.txt"), "old a");
    WriteFile(Program("data/sub/b.bin"), std::string(3000, 'b'));
    WriteFile(Program("version.ini"), "[config]\nversion=1.0\n");
    before_ = ReadFolderState(program_);
  }
  void TearDown() override { window_.reset(); }

  std::string Program(const std::string& name) const { return program_ + "/" + name; }

  void Start(const std::string& url) {
    window_ = std::make_unique<TfmUpdaterMain>(TUpdateRunSetup{
        TCommandLine({"MAIN_UP", "2.0", "App.exe", "0", url}), program_ + "/", program_});
    window_->show();
  }
  bool Closed(int timeoutMs) {
    return PumpUntil([&] { return !window_->isVisible(); }, timeoutMs);
  }
  // After the window is gone: the installation as it was, nothing added.
  void ExpectInstallationUntouched(const std::string& name) {
    window_.reset();
    const FolderState after = ReadFolderState(program_);
    EXPECT_TRUE(after == before_) << name << "\n" << DescribeChanges(before_, after);
    EXPECT_TRUE(TemporaryLeftovers(program_).empty()) << name;
    EXPECT_TRUE(ReadCalls(Program("App.exe")).empty()) << name;
  }

  TempDir dir_;
  const std::string program_ = dir_.path() + "/app";
  FolderState before_;
  std::unique_ptr<TfmUpdaterMain> window_;
};

TEST_F(FaultRun, ServerFaultsEndInTheDownloadMessage) {
  const std::string html = "<html><body><h1>500 Internal Server Error</h1></body></html>";
  RawServer midBody("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1000, 'x'));
  RawServer error500(
      Response("HTTP/1.0 500 Internal Server Error\r\nContent-Type: text/html\r\n", html));
  RawServer loop(Response("HTTP/1.0 302 Found\r\nLocation: /loop.7z\r\n", ""));
  HoldingServer stall(HoldingServer::kStall);
  const auto certificate = TestAuthority::SelfSigned(dir_.path(), "self", "IP:127.0.0.1");
  TestServer selfSigned(certificate.certFile, certificate.keyFile);
  const std::string package = dir_ / "package";
  WriteFile(package + "/data/a.txt", "new a");
  const std::string archive = MakeArchive(package, "7z");
  selfSigned.http().Get("/p.7z", [&](const httplib::Request&, httplib::Response& response) {
    response.set_content(archive, "application/octet-stream");
  });
  selfSigned.start();

  const struct {
    const char* name;
    std::string url;
  } cases[] = {{"closed mid-body", midBody.url("/p.7z")},
               {"500 with HTML", error500.url("/p.7z")},
               {"redirect loop", loop.url("/loop.7z")},
               {"stall after the headers", stall.url("/p.7z")},
               {"self-signed certificate", selfSigned.url("/p.7z")}};
  for (const auto& c : cases) {
    MessageAnswerer answerer;
    Start(c.url);
    // The stall is ended by the transfer's 10 s time-out.
    ASSERT_TRUE(Closed(30000)) << c.name;
    EXPECT_EQ(answerer.texts, std::vector<std::string>{kDownloadFailedMessage}) << c.name;
    ExpectInstallationUntouched(c.name);
  }
  // The loop was followed only a bounded number of times.
  EXPECT_LE(loop.requests().size(), 20u);
}

TEST_F(FaultRun, ClosingTheWindowStopsAnUnendingDownloadAndRemovesThePartialPackage) {
  const struct {
    const char* name;
    HoldingServer::Kind kind;
    uintmax_t atLeast;
  } cases[] = {// Past the transfer's 10 s time-out, which only ends silence.
               {"a byte a second", HoldingServer::kTrickle, 12},
               {"endless body", HoldingServer::kEndless, 4u << 20}};
  for (const auto& c : cases) {
    HoldingServer server(c.kind);
    MessageAnswerer answerer;
    Start(server.url("/p.7z"));
    std::string partial;
    ASSERT_TRUE(PumpUntil(
        [&] {
          partial = window_->Run()->PatchFile();
          std::error_code ec;
          const uintmax_t size = fs::file_size(partial, ec);
          return !ec && size >= c.atLeast;
        },
        25000))
        << c.name;
    // Still downloading: the run keeps going as long as bytes arrive.
    EXPECT_EQ(window_->Status(), stDownload) << c.name;
    EXPECT_TRUE(window_->isVisible()) << c.name;
    window_->close();
    window_.reset();
    EXPECT_FALSE(fs::exists(partial)) << c.name;
    EXPECT_TRUE(answerer.texts.empty()) << c.name;
    ExpectInstallationUntouched(c.name);
  }
}

}  // namespace
